// One save, read or open of a question file from the command line, for
// scripts/kill-loop, which kills it part way and looks at what is left.
//   kill_loop_tool save FILE LINES   saves the lines of the file LINES as FILE
//   kill_loop_tool read FILE         prints the digest of what loads from FILE
//   kill_loop_tool offered FILE      exits 0 when opening FILE offers a restore
//   kill_loop_tool restore FILE      puts back what FILE held before a cut-off save
#include "app/Exceptions.h"
#include "data/LineList.h"
#include <QCoreApplication>
#include <QCryptographicHash>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 64;
    const QString &command = args[1], &file = args[2];
    try {
        LineList list;
        if (command == u"save" && args.size() == 4) {
            list.Load(args[3]);
            list.Save(file);
        } else if (command == u"read") {
            list.Load(file);
            std::puts(QCryptographicHash::hash(list.joined(), QCryptographicHash::Md5).toHex().constData());
        } else if (command == u"offered") {
            return interruptedSave(file) ? 0 : 1;
        } else if (command == u"restore") {
            restoreInterruptedSave(file);
        } else {
            return 64;
        }
    } catch (const Exception &e) {
        std::fprintf(stderr, "%s (%d)\n", e.message().toLocal8Bit().constData(), e.systemError());
        return 2;
    }
    return 0;
}
