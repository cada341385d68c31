/* ole_write: writes the document that a plan describes with the system's structured storage
 * (StgCreateDocfile, or StgCreateStorageEx with 4096-byte sectors for a version 4 file).
 *
 *   ole_write.exe PLAN OUT [v4]
 *
 * The plan format is that of storage_tool: UTF-8 lines "storage<TAB>PATH" and
 * "stream<TAB>SIZE<TAB>SEED<TAB>PATH", parents first, names joined with '/'. */
#include <string.h>

#include "../shared/content.h"
#include "ole_common.h"

#define CREATE_MODE (STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE)
/* Writes go out in pieces of a prime size so that they rarely line up with a sector. */
#define WRITE_CHUNK 65521

struct open_storage {
  char* path;
  IStorage* storage;
};

static struct open_storage* storages;
static size_t storage_count;

static IStorage* find_storage(const char* path) {
  size_t i;
  for (i = 0; i < storage_count; ++i) {
    if (strcmp(storages[i].path, path) == 0) return storages[i].storage;
  }
  die("finding the parent storage of", path, E_FAIL);
  return NULL;
}

static void remember_storage(const char* path, IStorage* storage) {
  storages = (struct open_storage*)realloc(storages, (storage_count + 1) * sizeof *storages);
  storages[storage_count].path = _strdup(path);
  storages[storage_count].storage = storage;
  ++storage_count;
}

/* Splits "a/b/c" in place into the parent "a/b" and returns the name "c". */
static char* split_parent(char* path, char** parent) {
  char* slash = strrchr(path, '/');
  if (slash == NULL) {
    *parent = (char*)"";
    return path;
  }
  *slash = '\0';
  *parent = path;
  return slash + 1;
}

static void write_stream(IStorage* parent, const char* name, unsigned long long size,
                         unsigned long seed) {
  static unsigned char chunk[WRITE_CHUNK];
  WCHAR* wide_name = to_wide(name);
  IStream* stream;
  unsigned long long offset = 0;
  check(IStorage_CreateStream(parent, wide_name, CREATE_MODE, 0, 0, &stream), "CreateStream",
        name);
  while (offset < size) {
    ULONG count = size - offset < WRITE_CHUNK ? (ULONG)(size - offset) : WRITE_CHUNK;
    ULONG written = 0;
    content_fill((uint32_t)seed, offset, chunk, count);
    check(IStream_Write(stream, chunk, count, &written), "Write", name);
    if (written != count) die("Write (short)", name, E_FAIL);
    offset += count;
  }
  IStream_Release(stream);
  free(wide_name);
}

static void apply_line(char* line) {
  char* fields[4];
  int count = 0;
  char* parent;
  char* name;
  char* cursor = line;
  while (count < 4) {
    fields[count++] = cursor;
    cursor = strchr(cursor, '\t');
    if (cursor == NULL) break;
    *cursor++ = '\0';
  }
  if (strcmp(fields[0], "storage") == 0 && count == 2) {
    IStorage* storage;
    WCHAR* wide_name;
    char* path = _strdup(fields[1]);
    name = split_parent(fields[1], &parent);
    wide_name = to_wide(name);
    check(IStorage_CreateStorage(find_storage(parent), wide_name, CREATE_MODE, 0, 0, &storage),
          "CreateStorage", path);
    remember_storage(path, storage);
    free(wide_name);
    free(path);
  } else if (strcmp(fields[0], "stream") == 0 && count == 4) {
    name = split_parent(fields[3], &parent);
    write_stream(find_storage(parent), name, _strtoui64(fields[1], NULL, 10),
                 strtoul(fields[2], NULL, 10));
  } else {
    die("reading the plan line", fields[0], E_INVALIDARG);
  }
}

int wmain(int argc, WCHAR** argv) {
  IStorage* root;
  FILE* plan;
  char line[4096];
  size_t i;
  if (argc < 3 || argc > 4 || (argc == 4 && wcscmp(argv[3], L"v4") != 0)) {
    fputs("usage: ole_write.exe PLAN OUT [v4]\n", stderr);
    return 2;
  }
  if (argc == 4) {
    STGOPTIONS options = {1, 0, 4096, NULL};
    check(StgCreateStorageEx(argv[2], CREATE_MODE, STGFMT_DOCFILE, 0, &options, NULL,
                             &IID_IStorage, (void**)&root),
          "StgCreateStorageEx", "");
  } else {
    check(StgCreateDocfile(argv[2], CREATE_MODE, 0, &root), "StgCreateDocfile", "");
  }
  remember_storage("", root);

  plan = _wfopen(argv[1], L"rb");
  if (plan == NULL) die("opening", "the plan", E_FAIL);
  while (fgets(line, sizeof line, plan) != NULL) {
    line[strcspn(line, "\r\n")] = '\0';
    if (line[0] != '\0') apply_line(line);
  }
  fclose(plan);

  /* Children go first; the root commits and writes the file. */
  for (i = storage_count; i-- > 1;) IStorage_Release(storages[i].storage);
  check(IStorage_Commit(root, STGC_DEFAULT), "Commit", "");
  IStorage_Release(root);
  return 0;
}
