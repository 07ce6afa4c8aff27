// A fuzz target run once on every input file it is given (files or folders):
// the seed corpus in every build of the suite, or an input libFuzzer kept.
#include "FuzzCheck.h"
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

int main(int argc, char **argv)
{
    int inputs = 0;
    for (int a = 1; a < argc; ++a) {
        const QString given = QFile::decodeName(argv[a]);
        QStringList files{given};
        if (QFileInfo(given).isDir()) {
            files.clear();
            for (QDirIterator it(given, QDir::Files | QDir::Hidden); it.hasNext();)
                files << it.next();
        }
        for (const QString &name : files) {
            QFile file(name);
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(name));
                return 1;
            }
            const QByteArray bytes = file.readAll();
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
            ++inputs;
        }
    }
    std::printf("%d inputs passed\n", inputs);
    return inputs > 0 ? 0 : 1;
}
