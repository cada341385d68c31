// The services and XML part of vtutil demo.
#pragma once

// Opens an XML service scope, builds a settings document with vtuXML's values and reads them
// back, and shows that the scope's document factory is gone when it ends.
void print_xml_demo();
