// The option objects the component publishes: print fonts, the workbook's
// print settings and the rich-text margins.
#pragma once

#include <QFont>
#include <QObject>
#include <QString>

class TPrint_Options : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QFont DefaultFont MEMBER DefaultFont)
    Q_PROPERTY(QFont DetailedTitle MEMBER DetailedTitle)
    Q_PROPERTY(QFont DetailedHeader MEMBER DetailedHeader)
    Q_PROPERTY(QFont DetailedFooter MEMBER DetailedFooter)
    Q_PROPERTY(QFont DetailedFont MEMBER DetailedFont)
public:
    explicit TPrint_Options(QObject* owner = nullptr);
    void Assign(const TPrint_Options& other);

    QFont DefaultFont, DetailedTitle, DetailedHeader, DetailedFooter, DetailedFont;
};

class TXL_Options : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool PrintGridlines MEMBER PrintGridlines)
    Q_PROPERTY(bool PrintHeadings MEMBER PrintHeadings)
    Q_PROPERTY(QString PageHeader MEMBER PageHeader)
    Q_PROPERTY(QString PageFooter MEMBER PageFooter)
public:
    explicit TXL_Options(QObject* owner = nullptr);
    void Assign(const TXL_Options& other);

    bool PrintGridlines = false;
    bool PrintHeadings = false;
    QString PageHeader;
    QString PageFooter;
};

// Margins in twentieths of a point; their initial values are their stream defaults.
class TRTF_Options : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("LeftMargin.default", "1250")
    Q_CLASSINFO("RightMargin.default", "1250")
    Q_CLASSINFO("TopMargin.default", "1000")
    Q_CLASSINFO("BottomMargin.default", "1000")
    Q_PROPERTY(quint16 LeftMargin MEMBER LeftMargin)
    Q_PROPERTY(quint16 RightMargin MEMBER RightMargin)
    Q_PROPERTY(quint16 TopMargin MEMBER TopMargin)
    Q_PROPERTY(quint16 BottomMargin MEMBER BottomMargin)
public:
    explicit TRTF_Options(QObject* owner = nullptr);
    void Assign(const TRTF_Options& other);

    quint16 LeftMargin = 1250, RightMargin = 1250, TopMargin = 1000, BottomMargin = 1000;
};
