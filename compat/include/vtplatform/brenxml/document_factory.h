// The document factory service: the object through which XML documents are created and parsed,
// found in the service registry (ut_service.h) under the name "xml". axmDocumentFactory is the
// interface; xxmDocumentFactory the standard factory on the pugixml parser.
//
// Parsing takes a whole document or nothing: malformed XML gives no document and an error text
// that tells where the parser stopped and why.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "vtplatform/base/ut_service.h"
#include "vtplatform/brenxml/xml_document.h"
#include "vtplatform/export.h"

class VTPLATFORM_API axmDocumentFactory : public utService {
 public:
  ~axmDocumentFactory() override;

  // A new document without a document element.
  virtual std::unique_ptr<brenxml::xmlDocument> createDocument() = 0;
  // The document in the file `path` (a file name in the ANSI code page). Null with a message in
  // `error` when the file cannot be read or is not well-formed XML.
  virtual std::unique_ptr<brenxml::xmlDocument> parseFile(const char* path,
                                                          std::string& error) = 0;
  // The document in `text`, XML as a file would hold it (UTF-8 unless a byte order mark or the
  // XML declaration says otherwise). Null with a message in `error` when it is not well-formed.
  virtual std::unique_ptr<brenxml::xmlDocument> parseText(const std::string& text,
                                                          std::string& error) = 0;

  // Works on a document in `change`; false, with a message in `error`, to keep the file as it is.
  using Change =
      std::function<bool(std::unique_ptr<brenxml::xmlDocument>& document, std::string& error)>;
  // Changes the file `path` in one step that other processes' updates of it wait for, so that
  // none is lost: under an exclusive lock of "<path>.lock" beside it, the file is parsed (a file
  // that does not exist gives `change` a null document, which it may make), `change` works on the
  // document, and the document it leaves replaces the file whole. Waits at most `wait_ms`
  // milliseconds for another update to end (-1: as long as it takes). False with the reason in
  // `error`, and the file as it was, when the file is in use, cannot be read or parsed, `change`
  // refuses, or the document cannot be saved.
  virtual bool updateFile(const char* path, int wait_ms, const Change& change,
                          std::string& error) = 0;
};

class VTPLATFORM_API xxmDocumentFactory : public axmDocumentFactory {
 public:
  xxmDocumentFactory();
  ~xxmDocumentFactory() override;

  std::unique_ptr<brenxml::xmlDocument> createDocument() override;
  // Files may be in UTF-8, UTF-16 or UTF-32 (told apart by their byte order mark or their first
  // characters) or in Latin-1 when their XML declaration says so. A UTF-8 file must be valid
  // UTF-8 throughout. The error text names the file, the line and column (in bytes) where the
  // problem starts and what it is. Comments, processing instructions and the document type
  // declaration are kept; the XML declaration is not, since saving writes its own.
  std::unique_ptr<brenxml::xmlDocument> parseFile(const char* path, std::string& error) override;
  std::unique_ptr<brenxml::xmlDocument> parseText(const std::string& text,
                                                  std::string& error) override;
  bool updateFile(const char* path, int wait_ms, const Change& change,
                  std::string& error) override;

 private:
  // The document in `text`, or null with the reason in `error`, prefixed with `source`.
  static std::unique_ptr<brenxml::xmlDocument> parse(std::string_view text,
                                                     const std::string& source, std::string& error);
};
