#include "export/EC_Output.h"

#include "engine/DisplayFormat.h"
#include "platform/core/Exceptions.h"

#include <QIODevice>

TBufferedOutput::TBufferedOutput(QIODevice* device, const QString& name)
    : device_(device), name_(name)
{
    buffer_.reserve(kFlushSize + (kFlushSize >> 2));
}

void TBufferedOutput::AppendUtf8(QStringView text)
{
    ::AppendUtf8(buffer_, text);
    FlushWhenFull();
}

void TBufferedOutput::Flush()
{
    if (buffer_.isEmpty())
        return;
    if (device_->write(buffer_) != buffer_.size()) {
        const QString error = device_->errorString();
        throw EInOutError(
            name_.isEmpty() ? error : QStringLiteral("Cannot write %1: %2").arg(name_, error));
    }
    buffer_.truncate(0);
}
