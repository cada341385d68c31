// Natural-order comparison of names: runs of digits compare by numeric value ("Plane 2" before
// "Plane 10"), everything else in the system default locale's linguistic order.
//
// vtuLogicalStringCompare compares wide strings; vtuLogicalStringEquals and vtuLogicalStringLess
// are function objects on narrow text for algorithms and ordered containers. They convert their
// arguments with the calling thread's ANSI code page; texts under 128 characters are converted
// into buffers of the call and compared without any heap allocation. A conversion that fails
// throws the framework's exception (CMemoryException, or COleException with the HRESULT).
#pragma once

#include "vtutils/export.h"
#include "vtutils/platform/base.h"

class VTUTILS_API vtuLogicalStringCompare {
 public:
  // -1, 0 or 1 in the default locale's case-sensitive order with digits as numbers. 0 also when
  // the comparison fails (a null text), so such a pair counts as equal.
  int compare(const wchar_t* first, const wchar_t* second) const;
  // StrCmpLogicalW: the file-name order, letters without regard to case. Negative, 0, positive.
  int case_compare(const wchar_t* first, const wchar_t* second) const;
};

// True when compare() of the two converted texts is 0. A null pointer is passed on as no text,
// so it equals everything; the null utString is compared as the empty text.
class VTUTILS_API vtuLogicalStringEquals : public vtuLogicalStringCompare {
 public:
  bool operator()(const utString& first, const utString& second) const;
  bool operator()(const char* first, const char* second) const;
};

// True when compare() of the two converted texts is below 0; a strict weak order for sorting.
// Null pointers and null strings as for vtuLogicalStringEquals.
class VTUTILS_API vtuLogicalStringLess : public vtuLogicalStringCompare {
 public:
  bool operator()(const utString& first, const utString& second) const;
  bool operator()(const char* first, const char* second) const;
};
