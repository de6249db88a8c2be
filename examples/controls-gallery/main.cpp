// The controls gallery: shows the framed file-system controls linked
// together, restyled by a frame controller, and the "Select Store Database"
// dialog.
//   controls-gallery [--open FOLDER] [--frame-style fsName] [--colour NAME]
//                    [--dialog FOLDER] [--mountinfo FILE [--home FOLDER]]
// --mountinfo reads the volumes from a captured mount table, so pictures of
// the gallery do not depend on the machine they are taken on; --home names
// the home folder of the user the table was captured from.
#include "GalleryWindow.h"
#include "controls/FrFilSys.h"
#include "platform/MountTable.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption open("open", "Open FOLDER in the tree.", "FOLDER");
    const QCommandLineOption dialog("dialog", "Show the dialog at FOLDER at once.", "FOLDER");
    const QCommandLineOption mountinfo("mountinfo", "Read the volumes from FILE.", "FILE");
    const QCommandLineOption home("home", "The mount table's user's home FOLDER.", "FOLDER");
    // Not "style": the application takes that one for the widget style.
    const QCommandLineOption style("frame-style", "Frame style of the controller.", "fsName");
    const QCommandLineOption colour("colour", "Colour of the controller.", "NAME");
    parser.addOptions({open, dialog, mountinfo, home, style, colour});
    parser.process(app);

    if (parser.isSet(mountinfo)) {
        const QString file = parser.value(mountinfo);
        SetMountSources({[file] {
                             QFile text(file);
                             return text.open(QIODevice::ReadOnly) ? text.readAll() : QByteArray();
                         },
                         {},
                         {},
                         parser.value(home),
                         {}});
    }
    TGalleryWindow window;
    if (parser.isSet(style))
        window.SetSwitch("Style", parser.value(style));
    if (parser.isSet(colour))
        window.SetSwitch("Colour", parser.value(colour));
    if (parser.isSet(open))
        window.Tree()->SetDirectory(parser.value(open));
    window.show();
    if (parser.isSet(dialog))
        QTimer::singleShot(300, &window, [&] { window.SelectStoreDatabase(parser.value(dialog)); });
    return app.exec();
}
