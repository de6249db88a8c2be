#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

class QIODevice;

// The buffered output the writers share: bytes gather in one buffer that
// keeps its room and goes to the device in large pieces. A failed write
// raises EInOutError.
class TBufferedOutput
{
public:
    static constexpr qsizetype kFlushSize = 1 << 16;

    // A failed write's message names the file when a name is given.
    explicit TBufferedOutput(QIODevice* device, const QString& name = QString());
    void SetName(const QString& name) { name_ = name; }

    void Append(QByteArrayView bytes)
    {
        buffer_.append(bytes);
        FlushWhenFull();
    }
    // Text in UTF-8, encoded straight into the buffer.
    void AppendUtf8(QStringView text);
    // The buffer itself, for writers that build their bytes in place; they
    // call FlushWhenFull after each piece.
    QByteArray& Bytes() { return buffer_; }
    void FlushWhenFull()
    {
        if (buffer_.size() >= kFlushSize)
            Flush();
    }
    void Flush();

private:
    QIODevice* device_;
    QString name_;
    QByteArray buffer_;
};
