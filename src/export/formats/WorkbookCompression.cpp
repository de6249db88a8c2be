// The compression level of the workbook's zip entries.
//
// The workbook library packs its parts at zlib's default level, 6, and offers
// no setting. On sheet data level 6 searches four times as far for a match
// as level 5 and finds little more: on a million rows its file came out 1%
// smaller and took twice as long to pack, the longest step of the whole
// export. The library opens each zip entry through the shared zip
// library, so this program defines that function itself (and offers it to the
// workbook library when it opens it), asks for level 5 where the default
// level is asked for, and passes the call on to the zip library.
#include "export/formats/WorkbookLibrary.h"

#include <zip.h>

namespace {

constexpr int kLevel = 5;

} // namespace

// The prototype is the zip library's own (zip.h), so a change of it fails the build.
extern "C" __attribute__((visibility("default"))) int zipOpenNewFileInZip4_64(
    zipFile file, const char* filename, const zip_fileinfo* zipfi, const void* extrafield_local,
    uInt size_extrafield_local, const void* extrafield_global, uInt size_extrafield_global,
    const char* comment, int method, int level, int raw, int windowBits, int memLevel, int strategy,
    const char* password, uLong crcForCrypting, uLong versionMadeBy, uLong flagBase, int zip64)
{
    using Open = decltype(&zipOpenNewFileInZip4_64);
    static const auto open =
        reinterpret_cast<Open>(WorkbookLibrarySymbol("zipOpenNewFileInZip4_64"));
    if (!open)
        return ZIP_INTERNALERROR;
    if (method == Z_DEFLATED && level == Z_DEFAULT_COMPRESSION)
        level = kLevel;
    return open(file, filename, zipfi, extrafield_local, size_extrafield_local, extrafield_global,
                size_extrafield_global, comment, method, level, raw, windowBits, memLevel, strategy,
                password, crcForCrypting, versionMadeBy, flagBase, zip64);
}
