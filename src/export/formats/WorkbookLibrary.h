// The workbook library is loaded the first time a workbook is written (see
// WorkbookLibrary.cpp); this says why it could not be, if it could not.
#pragma once

// Null while the library is loaded or has not been asked for yet; else the
// reason it cannot be loaded.
const char* WorkbookLibraryLoadError();

// A function of the library (or of the zip library it packs with); null
// without the library.
void* WorkbookLibrarySymbol(const char* name);
