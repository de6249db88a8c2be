// The real message and input boxes: each is at least as wide as a window
// manager needs to show its whole caption.
#include "platform/QtInteraction.h"

#include "platform/Interaction.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Shows a box through the real interaction, measures it once it is up, and
// closes it.
void ExpectCaptionFits(const std::function<void(QtInteraction&)>& show)
{
    int width = 0;
    QString caption;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        width = box->width();
        caption = box->windowTitle();
        qobject_cast<QDialog*>(box)->reject();
    });
    QtInteraction ui;
    show(ui);
    QFont bold = QApplication::font();
    bold.setBold(true);
    EXPECT_GE(width, QFontMetrics(bold).horizontalAdvance(caption) + 100) << caption.toStdString();
}

TEST(QtInteraction, BoxesAreWideEnoughForTheirCaptions)
{
    const QString title = ApplicationTitle();
    SetApplicationTitle(QStringLiteral("A rather long application title for a tiny message"));
    ExpectCaptionFits([](QtInteraction& ui) { ui.ShowMessage(QStringLiteral("Ok")); });
    SetApplicationTitle(title);
    ExpectCaptionFits([](QtInteraction& ui) {
        ui.MessageDlg(QStringLiteral("x"), mtConfirmation, mbYes | mbNo);
    });
    ExpectCaptionFits([](QtInteraction& ui) {
        QString value;
        ui.InputQuery(QStringLiteral("Enter the password of this query package"),
                      QStringLiteral("Password"), value);
    });
}

} // namespace
