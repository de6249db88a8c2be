// The choice dialog's association logic against a private XDG folder (a fake
// viewer is the default for CSV and for .dif taken as video; nothing opens
// plain text or HTML), viewing through it, and the progress dialog's steps
// and Esc.
#include "export/EC_Choice.h"
#include "export/EC_Strings.h"
#include "export/ExportFixture.h"
#include "export/XProgress.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

// Set up before any test asks GIO, which reads the folders once.
class PrivateDesktop : public ::testing::Environment
{
public:
    static QString Marker() { return root_.filePath("viewed.csv"); }

    void SetUp() override
    {
        const QString data = root_.filePath("data");
        QDir().mkpath(data + "/mime/packages");
        QDir().mkpath(data + "/applications");
        QDir().mkpath(root_.filePath("config"));
        QDir().mkpath(root_.filePath("empty"));
        WriteAll(data + "/mime/packages/export-test.xml",
                 "<?xml version=\"1.0\"?>\n"
                 "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                 " <mime-type type=\"text/csv\"><glob pattern=\"*.csv\"/></mime-type>\n"
                 " <mime-type type=\"text/plain\"><glob pattern=\"*.txt\"/></mime-type>\n"
                 " <mime-type type=\"text/html\"><glob pattern=\"*.htm\"/></mime-type>\n"
                 " <mime-type type=\"video/dv\"><glob pattern=\"*.dif\"/></mime-type>\n"
                 "</mime-info>\n");
        ASSERT_EQ(QProcess::execute("update-mime-database", {data + "/mime"}), 0);
        const QString script = root_.filePath("fakeviewer.sh");
        WriteAll(script, QStringLiteral("#!/bin/sh\ncp \"$1\" '%1.part' && mv '%1.part' '%1'\n")
                             .arg(Marker())
                             .toUtf8());
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        WriteAll(
            data + "/applications/fakeviewer.desktop",
            QStringLiteral(
                "[Desktop Entry]\nType=Application\nName=Fake Viewer\nIcon=x-office-spreadsheet\n"
                "Exec=%1 %f\nMimeType=text/csv;video/dv;\n")
                .arg(script)
                .toUtf8());
        WriteAll(
            root_.filePath("config/mimeapps.list"),
            "[Default Applications]\ntext/csv=fakeviewer.desktop\nvideo/dv=fakeviewer.desktop\n");
        qputenv("XDG_DATA_HOME", data.toLocal8Bit());
        qputenv("XDG_DATA_DIRS", root_.filePath("empty").toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", root_.filePath("config").toLocal8Bit());
        qputenv("XDG_CONFIG_DIRS", root_.filePath("empty").toLocal8Bit());
    }

private:
    static QTemporaryDir root_;
};

QTemporaryDir PrivateDesktop::root_;
const auto* const kDesktop = ::testing::AddGlobalTestEnvironment(new PrivateDesktop);

TEST(ChoiceTest, ViewableTypesFollowTheDesktopAssociations)
{
    EXPECT_TRUE(CanViewType(xText_Comma_Delimited));
    EXPECT_FALSE(CanViewType(xText_Tab_Delimited)); // text/plain has no application
    EXPECT_FALSE(CanViewType(xHTML));
    EXPECT_FALSE(CanViewType(xDIF));  // opened by an application, but as video
    EXPECT_FALSE(CanViewType(xSYLK)); // no MIME type at all
    EXPECT_TRUE(CanViewType(xClipboard));
}

TEST(ChoiceTest, DialogTextsCaptionsAndTheChangeHandler)
{
    ScriptedUi ui;
    TExportChoiceForm form;
    form.SetTypeNames({"HTML", "Comma-Delimited Text (CSV)", "Tab-Delimited Text", "Clipboard"});
    form.SelectedType = xMicrosoft_Excel; // not offered: the first item is chosen
    form.ItemTotal = 0;
    form.show();
    EXPECT_EQ(form.windowTitle(), "Export Items");
    EXPECT_EQ(form.GroupBox1->title(), "Please choose an Export Format ");
    EXPECT_EQ(form.OKBtn->text(), "&Ok");
    EXPECT_EQ(form.CancelBtn->text(), "&Cancel");
    EXPECT_EQ(form.ExportTypeComboBox->currentText(), "HTML");
    EXPECT_FALSE(form.ViewRadioButton->isEnabled());
    EXPECT_TRUE(form.FileRadioButton->isChecked());
    EXPECT_FALSE(form.ViewChoice);
    EXPECT_TRUE(form.Image1->pixmap().isNull());
    form.hide();

    form.ItemTotal = 1234;
    form.SelectedType = xText_Comma_Delimited;
    form.show();
    EXPECT_EQ(form.windowTitle(), "Export 1234 Items");
    EXPECT_TRUE(form.ViewRadioButton->isEnabled());
    EXPECT_TRUE(form.ViewRadioButton->isChecked());
    EXPECT_TRUE(form.ViewChoice);

    form.ExportTypeComboBox->setCurrentText("Clipboard");
    EXPECT_FALSE(form.ViewRadioButton->isEnabled());
    EXPECT_FALSE(form.FileRadioButton->isEnabled());
    EXPECT_TRUE(form.ViewRadioButton->isChecked());
    ASSERT_TRUE(QIcon::fromTheme("edit-paste").isNull()) << "the desktop has an icon theme";
    EXPECT_EQ(form.Image1->pixmap().size(), QSize(32, 32)); // our own clipboard glyph
    form.OKBtn->click();
    EXPECT_EQ(form.SelectedType, xClipboard);
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

using ViewTest = ExportFixture;

TEST_F(ViewTest, AViewedExportOpensInTheDefaultApplicationOrSaysItCannot)
{
    QFile::remove(PrivateDesktop::Marker());
    exporter->SetExportType(xText_Comma_Delimited);
    exporter->SetViewOnly(true);
    ASSERT_TRUE(exporter->DoExport());
    ASSERT_TRUE(QTest::qWaitFor([] { return QFile::exists(PrivateDesktop::Marker()); }, 10000));
    EXPECT_TRUE(ReadAll(PrivateDesktop::Marker()).startsWith("\"Item\",\"ID\",\"NAME\""));

    exporter->SetExportType(xText_Tab_Delimited);
    EXPECT_TRUE(exporter->DoExport()); // the export itself succeeded
    const QString expected = LoadStr(sViewFailed).replace("%s", "Text");
    EXPECT_EQ(ui->Texts().last(), expected);
}

// The window steps aside for the viewer and comes back when the desktop makes
// the program active again; a window the user minimised stays minimised.
TEST_F(ViewTest, TheWindowStepsAsideForTheViewerUntilTheProgramIsActiveAgain)
{
    const auto desktopActivates = [] {
        Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
        Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationActive);
    };
    QApplication::setActiveWindow(window.get());
    exporter->SetExportType(xText_Comma_Delimited);
    exporter->SetViewOnly(false);
    exporter->SetExportFile(folder.Path() + "/kept.csv");
    ASSERT_TRUE(exporter->DoExport());
    EXPECT_FALSE(window->isMinimized());

    exporter->SetViewOnly(true);
    ASSERT_TRUE(exporter->DoExport());
    EXPECT_TRUE(window->isMinimized());
    desktopActivates();
    EXPECT_FALSE(window->isMinimized());
    EXPECT_FALSE(exporter->MinimizedForViewer());

    window->showMinimized();
    desktopActivates();
    EXPECT_TRUE(window->isMinimized());
}

TEST(ProgressTest, StepsOverAKnownTotal)
{
    struct Case
    {
        int count;
        int step;
        int maximum;
    };
    for (const Case& c :
         {Case{100, 5, 20}, Case{24, 1, 24}, Case{0, 1, 0}, Case{1000000, 40001, 24}}) {
        TProgressForm form("Exporting...", "", "%d Items Exported in %.2f Seconds.", c.count);
        EXPECT_EQ(form.StepEvery(), c.step) << c.count;
        EXPECT_EQ(form.ProgressBar()->maximum(), c.maximum) << c.count;
    }
    TProgressForm form("Exporting...", "", "%d", 100);
    form.show();
    for (int item = 1; item <= 100; ++item)
        ASSERT_TRUE(form.UpdateProgress(item));
    EXPECT_EQ(form.ProgressBar()->value(), 20);
}

TEST(ProgressTest, UnknownTotalShowsThePanelAndEscStillCancels)
{
    TProgressForm form("Exporting...", "", "%d Items Exported in %.2f Seconds.", -1);
    form.show();
    EXPECT_TRUE(form.CountUnknown());
    EXPECT_FALSE(form.ProgressBar()->isVisible());
    EXPECT_TRUE(form.ExportPanel()->isVisible());
    EXPECT_TRUE(form.UpdateProgress(40));
    EXPECT_TRUE(form.ExportPanel()->text().startsWith("40 Items Exported in 0."))
        << form.ExportPanel()->text().toStdString();
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_FALSE(form.UpdateProgress(41));
}

// Items between two refreshes see no events; an Esc waiting in the queue
// stops the export at the first update after the clock's interval.
TEST(ProgressTest, EventsAreHandledOnTheClockNotPerItem)
{
    TProgressForm form("Exporting...", "", "%d Items Exported in %.2f Seconds.", -1);
    form.show();
    ASSERT_TRUE(form.UpdateProgress(1)); // the first update refreshes
    bool handled = false;
    QTimer::singleShot(0, [&] { handled = true; });
    QCoreApplication::postEvent(&form, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, {}));
    for (int item = 2; item <= 1000; ++item)
        ASSERT_TRUE(form.UpdateProgress(item));
    EXPECT_FALSE(handled);
    EXPECT_TRUE(form.ExportPanel()->text().startsWith("1 Items")); // not yet redrawn
    QTest::qWait(int(TProgressForm::kRefreshMs) + 20);
    EXPECT_FALSE(form.UpdateProgress(1001));
    EXPECT_TRUE(handled);
    form.ShowFinalProgress(1001);
    EXPECT_TRUE(form.ExportPanel()->text().startsWith("1001 Items"));
}

} // namespace
