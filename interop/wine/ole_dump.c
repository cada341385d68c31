/* ole_dump: lists a compound file through the system's structured storage, in the canonical
 * form of storage_tool dump: one line per element below the root, sorted by the UTF-8 bytes of
 * the path, "storage<TAB>-<TAB>-<TAB>PATH" or "stream<TAB>SIZE<TAB>SHA256<TAB>PATH".
 *
 *   ole_dump.exe FILE
 *
 * Every element is opened by the name that enumeration gave; one that cannot be opened is listed
 * as "unopenable<TAB>HRESULT<TAB>-<TAB>PATH" and the listing goes on. Every stream is read from
 * its middle to the end, then again from the start after seeking back, and the reads must agree. */
#include <fcntl.h>
#include <io.h>
#include <string.h>

#include "../shared/content.h"
#include "ole_common.h"

#define READ_MODE (STGM_READ | STGM_SHARE_EXCLUSIVE)
/* Enumeration asks for a few elements at a time, which exercises Next with a count above one. */
#define ENUM_BATCH 7

struct listed_element {
  char* path;
  char* line;
};

static struct listed_element* listed;
static size_t listed_count;

static void add_line(char* path, const char* line) {
  listed = (struct listed_element*)realloc(listed, (listed_count + 1) * sizeof *listed);
  listed[listed_count].path = path;
  listed[listed_count].line = _strdup(line);
  ++listed_count;
}

static void add_unopenable(char* path, HRESULT result) {
  char line[64];
  snprintf(line, sizeof line, "unopenable\t0x%08lX\t-\t", (unsigned long)result);
  add_line(path, line);
}

static unsigned long long seek(IStream* stream, long long offset, DWORD origin,
                               const char* path) {
  LARGE_INTEGER move;
  ULARGE_INTEGER position;
  move.QuadPart = offset;
  check(IStream_Seek(stream, move, origin, &position), "Seek", path);
  return position.QuadPart;
}

static void read_exactly(IStream* stream, unsigned char* buffer, unsigned long long count,
                         const char* path) {
  ULONG read = 0;
  check(IStream_Read(stream, buffer, (ULONG)count, &read), "Read", path);
  if (read != count) die("Read (short)", path, E_FAIL);
}

static void list_stream(IStorage* parent, const WCHAR* name, char* path,
                        unsigned long long listed_size) {
  IStream* stream;
  STATSTG stat;
  unsigned long long size, middle;
  unsigned char* bytes;
  unsigned char* tail;
  unsigned char digest[32];
  char hex[65];
  char line[128];
  struct sha256 hash;

  HRESULT result = IStorage_OpenStream(parent, name, NULL, READ_MODE, 0, &stream);
  if (result != S_OK) {
    add_unopenable(path, result);
    return;
  }
  check(IStream_Stat(stream, &stat, STATFLAG_NONAME), "Stat", path);
  size = stat.cbSize.QuadPart;
  if (size != listed_size || seek(stream, 0, STREAM_SEEK_END, path) != size) {
    die("comparing the sizes of", path, E_FAIL);
  }
  middle = size / 2;
  bytes = (unsigned char*)malloc(size + 1);
  tail = (unsigned char*)malloc(size - middle + 1);
  if (seek(stream, (long long)middle, STREAM_SEEK_SET, path) != middle) {
    die("seeking to the middle of", path, E_FAIL);
  }
  read_exactly(stream, tail, size - middle, path);
  seek(stream, 0, STREAM_SEEK_SET, path);
  read_exactly(stream, bytes, size, path);
  if (memcmp(tail, bytes + middle, size - middle) != 0) die("comparing the reads of", path, E_FAIL);
  IStream_Release(stream);

  sha256_init(&hash);
  sha256_update(&hash, bytes, size);
  sha256_final(&hash, digest);
  sha256_hex(digest, hex);
  snprintf(line, sizeof line, "stream\t%llu\t%s\t", size, hex);
  add_line(path, line);
  free(tail);
  free(bytes);
}

static void list_storage(IStorage* storage, const char* prefix) {
  IEnumSTATSTG* elements;
  check(IStorage_EnumElements(storage, 0, NULL, 0, &elements), "EnumElements", prefix);
  for (;;) {
    STATSTG stats[ENUM_BATCH];
    ULONG fetched = 0, i;
    HRESULT result = IEnumSTATSTG_Next(elements, ENUM_BATCH, stats, &fetched);
    if (result != S_OK && result != S_FALSE) die("Next", prefix, result);
    for (i = 0; i < fetched; ++i) {
      char* name = to_utf8(stats[i].pwcsName);
      char* path = (char*)malloc(strlen(prefix) + strlen(name) + 1);
      strcpy(path, prefix);
      strcat(path, name);
      if (stats[i].type == STGTY_STORAGE) {
        IStorage* child;
        HRESULT opened =
            IStorage_OpenStorage(storage, stats[i].pwcsName, NULL, READ_MODE, NULL, 0, &child);
        if (opened == S_OK) {
          char* child_prefix = (char*)malloc(strlen(path) + 2);
          add_line(path, "storage\t-\t-\t");
          strcpy(child_prefix, path);
          strcat(child_prefix, "/");
          list_storage(child, child_prefix);
          IStorage_Release(child);
          free(child_prefix);
        } else {
          add_unopenable(path, opened);
        }
      } else if (stats[i].type == STGTY_STREAM) {
        list_stream(storage, stats[i].pwcsName, path, stats[i].cbSize.QuadPart);
      } else {
        die("looking at the type of", path, E_FAIL);
      }
      free(name);
      CoTaskMemFree(stats[i].pwcsName);
    }
    if (result == S_FALSE) break;
  }
  IEnumSTATSTG_Release(elements);
}

static int by_path(const void* a, const void* b) {
  return strcmp(((const struct listed_element*)a)->path, ((const struct listed_element*)b)->path);
}

int wmain(int argc, WCHAR** argv) {
  IStorage* root;
  size_t i;
  if (argc != 2) {
    fputs("usage: ole_dump.exe FILE\n", stderr);
    return 2;
  }
  check(StgOpenStorage(argv[1], NULL, READ_MODE, NULL, 0, &root), "StgOpenStorage", "");
  list_storage(root, "");
  IStorage_Release(root);

  qsort(listed, listed_count, sizeof *listed, by_path);
  _setmode(_fileno(stdout), _O_BINARY);
  for (i = 0; i < listed_count; ++i) printf("%s%s\n", listed[i].line, listed[i].path);
  return 0;
}
