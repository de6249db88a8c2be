#include "platform/Interaction.h"

#include "platform/QtInteraction.h"
#include "platform/core/Exceptions.h"

#include <QCoreApplication>
#include <QDialog>

namespace {

std::unique_ptr<Interaction>& Current()
{
    static std::unique_ptr<Interaction> current;
    return current;
}

QString& Title()
{
    static QString title;
    return title;
}

} // namespace

Interaction& Ui()
{
    auto& current = Current();
    if (!current)
        current = std::make_unique<QtInteraction>();
    return *current;
}

std::unique_ptr<Interaction> SetUi(std::unique_ptr<Interaction> ui)
{
    auto previous = std::move(Current());
    Current() = std::move(ui);
    return previous;
}

QString ApplicationTitle()
{
    if (!Title().isEmpty())
        return Title();
    return QCoreApplication::applicationName();
}

void SetApplicationTitle(const QString& title)
{
    Title() = title;
    QCoreApplication::setApplicationName(title);
}

QString ExceptionMessage(const std::exception& error)
{
    if (const auto* own = dynamic_cast<const Exception*>(&error))
        return own->Message();
    return QString::fromUtf8(error.what());
}

bool Interaction::PromptForSaveFile(const TSaveFileRequest&, QString&)
{
    return false;
}

int Interaction::ExecDialog(QDialog& dialog)
{
    return dialog.exec();
}
