// vtuDependencyManager: the external CAD files that a document depends on, kept in the
// "FOPDependencies" stream of the document's compound file.
#pragma once

#include <cstdint>
#include <vector>

#include "vtutils/export.h"
#include "vtutils/platform/base.h"
#include "vtutils/platform/storage.h"

// One manager per process collects the pairs (CAD identifier, path of the CAD file) while a
// document is saved, writes them into the document's storage, and hands them back while the
// document loads, so that each object finds the file it depends on.
//
// Save cycle: start_save_dependencies, add_cad_path for every CAD file the document's objects
// use, then save_dependencies. Load cycle: load_dependencies, cad_path for each object as it
// loads, then end_load_dependencies. abort ends either cycle. The flags only report which cycle
// is in progress; no operation refuses to run because of them.
//
// Paths are kept in the byte-string encoding of vtuStringConverter (the ANSI code page) and are
// UTF-8 only inside the stream. The stream is a sequence of lines, each ended by a line feed:
//
//   (blank)  VERSION  1                         the version record
//   (blank)  FILE_REFERENCE  CAD-<id>  <path>   one reference record per entry, in list order
//   (blank)                                     closing line
//
// No operation reports a failure or throws on bad stream content: a stream that cannot be
// created or read and records that cannot be understood end with nothing more being done.
// Nothing is locked; all calls come from the thread that saves and loads documents.
class VTUTILS_API vtuDependencyManager {
 public:
  // The process's manager, created on first use.
  static vtuDependencyManager& singleton();
  // Deletes the manager with its entries; the next singleton() creates a fresh one. The library
  // also deletes it when it unloads.
  static void delete_singleton();

  vtuDependencyManager(const vtuDependencyManager&) = delete;
  vtuDependencyManager& operator=(const vtuDependencyManager&) = delete;

  // Starts a save cycle.
  void start_save_dependencies();
  // Whether a save cycle is in progress.
  bool saving_dependencies() const;
  // Appends the pair, whatever cycle is in progress; an identifier may come more than once.
  // `path` is in the ANSI code page.
  void add_cad_path(std::uint32_t cad_id, utString path);
  // Creates (or replaces) the "FOPDependencies" stream in `storage` and writes every entry whose
  // path converts to non-empty UTF-8; then ends the save cycle and removes all entries. When the
  // stream cannot be created nothing is written, and the flag and the entries stay, so that the
  // caller can try again or abort.
  void save_dependencies(IStorage* storage);

  // Starts a load cycle and appends the entries read from the "FOPDependencies" stream of
  // `storage` after those already held. A storage without the stream gives no entries. Records
  // that cannot be understood are skipped, and a version other than 1 ends the reading.
  void load_dependencies(IStorage* storage);
  // Whether a load cycle is in progress.
  bool loading_dependencies() const;
  // Sets `path` to the path of the first entry with `cad_id`, or to the null string when there
  // is none.
  void cad_path(std::uint32_t cad_id, utString& path) const;
  // Ends the load cycle and removes all entries; a save cycle in progress stays.
  void end_load_dependencies();

  // Ends both cycles and removes all entries.
  void abort();

  // One pair of the list.
  struct Entry {
    std::uint32_t cad_id;
    utString path;  // ANSI code page
  };
  // The pairs held, in the order they were added or read, for tools that show them all.
  const std::vector<Entry>& entries() const { return entries_; }

 protected:
  vtuDependencyManager();
  ~vtuDependencyManager();

  // utSingletonGet returns the manager, creating it when there is none; any other action deletes
  // it and returns null.
  static vtuDependencyManager* access_singleton(utSingletonAccessAction action);

 private:
  // Turn text between the ANSI code page and UTF-8 in place; a failed conversion gives the null
  // string.
  static void os_to_utf8(utString& text);
  static void utf8_to_os(utString& text);
  // Writes the text's bytes without the terminating NUL.
  static void write(const char* text, IStream& stream);

  bool loading_ = false;
  bool saving_ = false;
  std::vector<Entry> entries_;
};
