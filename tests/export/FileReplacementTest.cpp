// What every file type does to the file it is told to write: a failed run
// leaves an earlier file, its folder and the temporary folder as they were; a
// successful one puts the new file in place with the permissions of the file
// it replaces, or those of any new file (0666 less the umask).
#include "export/EC_Component.h"
#include "export/ExportFixture.h"
#include "platform/core/SystemInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <sys/stat.h>

namespace {

using FileReplacementTest = ExportFixture;

mode_t ModeOf(const QString& file)
{
    struct stat info = {};
    EXPECT_EQ(::stat(QFile::encodeName(file).constData(), &info), 0) << file.toStdString();
    return info.st_mode & 07777;
}

TEST_F(FileReplacementTest, EveryFileTypeReplacesAtomicallyAndKeepsPermissions)
{
    const mode_t savedMask = ::umask(027);
    const auto ourTempFiles = [] {
        return QDir(::TempFolder())
            .entryList({QStringLiteral("exp-tq%1-*").arg(QCoreApplication::applicationPid())},
                       QDir::Files | QDir::Hidden);
    };
    const QStringList tempBefore = ourTempFiles();
    exporter->SetViewOnly(false);
    for (const TExportType type :
         {xHTML, xMicrosoft_Word, xMicrosoft_Excel, xText, xRichText, xText_Comma_Delimited,
          xText_Tab_Delimited, xDIF, xSYLK, xExcel_Workbook}) {
        const QString extension = ExportTypeExt(type);
        const QString kept = folder.File("kept." + extension);
        WriteAll(kept, "earlier");
        ASSERT_EQ(::chmod(QFile::encodeName(kept).constData(), 0604), 0);
        const QStringList entries = QDir(folder.Path()).entryList(QDir::Files | QDir::Hidden);
        exporter->SetExportType(type);

        exporter->SetFooter({"%d rows"}); // an integer directive fails the footer
        exporter->SetExportFile(kept);
        EXPECT_FALSE(exporter->DoExport()) << extension.toStdString();
        EXPECT_EQ(ReadAll(kept), "earlier") << extension.toStdString();
        EXPECT_EQ(QDir(folder.Path()).entryList(QDir::Files | QDir::Hidden), entries)
            << extension.toStdString();

        exporter->SetFooter({});
        exporter->SetExportFile(kept);
        ASSERT_TRUE(exporter->DoExport()) << extension.toStdString();
        EXPECT_NE(ReadAll(kept), "earlier") << extension.toStdString();
        EXPECT_EQ(ModeOf(kept), 0604u) << extension.toStdString();

        const QString fresh = folder.File("fresh." + extension);
        exporter->SetExportFile(fresh);
        ASSERT_TRUE(exporter->DoExport()) << extension.toStdString();
        EXPECT_EQ(ModeOf(fresh), 0640u) << extension.toStdString();

        // A link stays a link; a read-only file is replaced and stays read-only.
        const QString link = folder.File("link." + extension);
        QFile::remove(link); // two types share "txt"
        ASSERT_TRUE(QFile::link(kept, link)) << extension.toStdString();
        WriteAll(kept, "earlier");
        ASSERT_EQ(::chmod(QFile::encodeName(kept).constData(), 0444), 0);
        exporter->SetExportFile(link);
        ASSERT_TRUE(exporter->DoExport()) << extension.toStdString();
        EXPECT_TRUE(QFileInfo(link).isSymLink()) << extension.toStdString();
        EXPECT_NE(ReadAll(kept), "earlier") << extension.toStdString();
        EXPECT_EQ(ModeOf(kept), 0444u) << extension.toStdString();
    }
    EXPECT_EQ(ourTempFiles(), tempBefore);
    ::umask(savedMask);
}

} // namespace
