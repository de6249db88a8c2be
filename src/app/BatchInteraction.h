// The modal interactions of batch mode: every message goes to standard error,
// one per line; a confirmation is answered Yes only when the command line
// said so; the password comes from a file, from the terminal without echo, or
// is an empty entry.
#pragma once

#include "platform/Interaction.h"

#include <cstdio>

class BatchInteraction : public Interaction
{
public:
    BatchInteraction(bool answerYes, QString passwordFile, FILE* err = stderr);

    void ShowMessage(const QString& text) override;
    TModalResult MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) override;
    bool InputQuery(const QString& caption, const QString& prompt, QString& value) override;
    void ShowException(const std::exception& error) override;
    void Beep() override {}

private:
    void Print(const QString& text);

    bool answerYes_;
    QString passwordFile_;
    FILE* err_;
};
