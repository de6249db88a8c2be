#include "platform/QtInteraction.h"

#include "platform/core/Exceptions.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QSpacerItem>
#include <utility>

namespace {

QMessageBox::Icon IconOf(TMsgDlgType type)
{
    switch (type) {
    case mtWarning:
        return QMessageBox::Warning;
    case mtError:
        return QMessageBox::Critical;
    case mtInformation:
        return QMessageBox::Information;
    case mtConfirmation:
        return QMessageBox::Question;
    case mtCustom:
        break;
    }
    return QMessageBox::NoIcon;
}

QString CaptionOf(TMsgDlgType type)
{
    switch (type) {
    case mtWarning:
        return QStringLiteral("Warning");
    case mtError:
        return QStringLiteral("Error");
    case mtInformation:
        return QStringLiteral("Information");
    case mtConfirmation:
        return QStringLiteral("Confirm");
    case mtCustom:
        break;
    }
    return ApplicationTitle();
}

constexpr std::pair<TMsgDlgBtn, QMessageBox::StandardButton> kButtons[] = {
    {mbYes, QMessageBox::Yes},       {mbNo, QMessageBox::No},       {mbOK, QMessageBox::Ok},
    {mbCancel, QMessageBox::Cancel}, {mbAbort, QMessageBox::Abort}, {mbRetry, QMessageBox::Retry},
    {mbIgnore, QMessageBox::Ignore}};

TModalResult ResultOf(int button)
{
    switch (button) {
    case QMessageBox::Yes:
        return mrYes;
    case QMessageBox::No:
        return mrNo;
    case QMessageBox::Ok:
        return mrOk;
    case QMessageBox::Abort:
        return mrAbort;
    case QMessageBox::Retry:
        return mrRetry;
    case QMessageBox::Ignore:
        return mrIgnore;
    default:
        return mrCancel;
    }
}

// The width a box needs so that a window manager shows its whole caption: the
// caption in a title-bar font (often bold and larger than the text's) and
// room for the window's icon and buttons.
int CaptionWidth(const QWidget& box)
{
    QFont font = box.font();
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(box.windowTitle()) * 5 / 4 + 150;
}

// A message box sizes itself to its text when shown; a spacer as wide as the
// caption needs keeps it from getting narrower than that.
void FitCaption(QMessageBox& box)
{
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(CaptionWidth(box), 0, QSizePolicy::Minimum), grid->rowCount(),
                      0, 1, grid->columnCount());
}

int Exec(QMessageBox& box)
{
    FitCaption(box);
    return box.exec();
}

} // namespace

void QtInteraction::ShowMessage(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, ApplicationTitle(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    Exec(box);
}

TModalResult QtInteraction::MessageDlg(const QString& text, TMsgDlgType type,
                                       TMsgDlgButtons buttons)
{
    QMessageBox box(IconOf(type), CaptionOf(type), text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    for (const auto& [ours, qt] : kButtons) {
        if (buttons.testFlag(ours))
            box.addButton(qt);
    }
    if (box.buttons().isEmpty())
        box.addButton(QMessageBox::Ok);
    return ResultOf(Exec(box));
}

bool QtInteraction::InputQuery(const QString& caption, const QString& prompt, QString& value)
{
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(value);
    // The dialog takes its minimum size from its layout, so the width goes
    // on the prompt.
    if (auto* label = dialog.findChild<QLabel*>())
        label->setMinimumWidth(CaptionWidth(dialog));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    value = dialog.textValue();
    return true;
}

void QtInteraction::ShowException(const std::exception& error)
{
    if (dynamic_cast<const EAbort*>(&error))
        return;
    QMessageBox box(QMessageBox::Critical, ApplicationTitle(), ExceptionMessage(error),
                    QMessageBox::Ok, QApplication::activeWindow());
    Exec(box);
}

void QtInteraction::Beep()
{
    QApplication::beep();
}

// The filter comes as "Name (*.ext)|*.ext|..." pairs; Qt wants the names alone.
bool QtInteraction::PromptForSaveFile(const TSaveFileRequest& request, QString& fileName)
{
    const QStringList parts = request.filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i];
    QFileDialog dialog(QApplication::activeWindow(), request.title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(request.defaultExtension);
    if (!fileName.isEmpty())
        dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    fileName = dialog.selectedFiles().constFirst();
    return true;
}
