// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a fuzz target over saved inputs, so that every ordinary build and test run replays the corpus and
// every input that once broke something. Arguments: files or folders (every file below a folder, sorted).

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

QStringList inputsBelow(const QString &path)
{
    QStringList files;
    if (QFileInfo(path).isDir()) {
        QDirIterator it(path, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next();
        files.sort();
    } else {
        files << path;
    }
    return files;
}

} // namespace

int main(int argc, char **argv)
{
    int replayed = 0;
    int unreadable = 0;
    for (int i = 1; i < argc; ++i) {
        const QStringList files = inputsBelow(QFile::decodeName(argv[i]));
        if (files.isEmpty()) {
            std::fprintf(stderr, "no inputs in %s\n", argv[i]);
            return 2;
        }
        for (const QString &file : files) {
            QFile input(file);
            if (!input.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(file));
                ++unreadable;
                continue;
            }
            // A copy in a buffer of exactly the input's size, so that AddressSanitizer sees any read
            // past the end the way libFuzzer would.
            const QByteArray bytes = input.readAll();
            std::vector<uint8_t> exact(bytes.begin(), bytes.end());
            LLVMFuzzerTestOneInput(exact.data(), exact.size());
            ++replayed;
        }
    }
    std::printf("replayed %d inputs\n", replayed);
    return unreadable == 0 && replayed > 0 ? 0 : 1;
}
