// The XML document library: documents, node handles and text, and the document factory service
// that creates and parses documents. On Windows the library's own headers declare them.
#pragma once

#if !defined(_WIN32)
#include "vtplatform/brenxml/document_factory.h"
#include "vtplatform/brenxml/xml_document.h"
#include "vtplatform/brenxml/xml_node.h"
#endif
