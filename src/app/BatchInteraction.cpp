#include "app/BatchInteraction.h"

#include "platform/core/Exceptions.h"

#include <QFile>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {

// Reads one line from the terminal with echo switched off.
QString ReadHiddenLine(const QString& prompt)
{
    fprintf(stderr, "%s: ", prompt.toLocal8Bit().constData());
    fflush(stderr);
    termios saved{};
    const bool terminal = tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        termios hidden = saved;
        hidden.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &hidden);
    }
    std::string line;
    for (int c = fgetc(stdin); c != EOF && c != '\n'; c = fgetc(stdin))
        line += char(c);
    if (terminal)
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    fputc('\n', stderr);
    return QString::fromLocal8Bit(line.c_str());
}

} // namespace

BatchInteraction::BatchInteraction(bool answerYes, QString passwordFile, FILE* err)
    : answerYes_(answerYes), passwordFile_(std::move(passwordFile)), err_(err)
{
}

// Messages whose lines are separated by carriage returns print as several lines.
void BatchInteraction::Print(const QString& text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    fprintf(err_, "%s\n", lines.toUtf8().constData());
    fflush(err_);
}

void BatchInteraction::ShowMessage(const QString& text)
{
    Print(text);
}

TModalResult BatchInteraction::MessageDlg(const QString& text, TMsgDlgType, TMsgDlgButtons buttons)
{
    Print(text);
    if (buttons.testFlag(mbYes))
        return answerYes_ ? mrYes : mrNo;
    return buttons.testFlag(mbOK) || !buttons ? mrOk : mrCancel;
}

bool BatchInteraction::InputQuery(const QString&, const QString& prompt, QString& value)
{
    if (!passwordFile_.isEmpty()) {
        QFile file(passwordFile_);
        if (!file.open(QIODevice::ReadOnly))
            throw EInOutError(QStringLiteral("Cannot read the password file %1: %2")
                                  .arg(passwordFile_, file.errorString()));
        QByteArray line = file.readLine();
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        value = QString::fromUtf8(line);
        return true;
    }
    if (isatty(STDIN_FILENO)) {
        value = ReadHiddenLine(prompt);
        return true;
    }
    value.clear();
    return true;
}

void BatchInteraction::ShowException(const std::exception& error)
{
    if (dynamic_cast<const EAbort*>(&error))
        return;
    Print(ExceptionMessage(error));
}
