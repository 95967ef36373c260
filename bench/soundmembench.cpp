// SPDX-License-Identifier: GPL-3.0-or-later
// The memory the decoded sounds take: three sound schemes of twelve
// different long files loaded one after the other into the sound output, as
// the sound window does (each event's file set in turn), then a thirteenth
// file tried with "Play". Prints the memory in use (VmRSS) after each step:
//   soundmem: start=N MB scheme1=N MB scheme2=N MB scheme3=N MB tried=N MB
// Usage: krumlix_soundmembench [SECONDS_PER_FILE]   (60)
#include "platform/pulsesoundoutput.h"
#include "platform/wavedecoder.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDataStream>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>

using namespace krumlix;
using namespace std::chrono_literals;

namespace {

/// A mono 16-bit tone at 22050 Hz, a different pitch for every file.
bool writeTone(const QString &path, int seconds, double hz) {
    constexpr int Rate = 22050;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QDataStream out(&file);
    out.setByteOrder(QDataStream::LittleEndian);
    const quint32 bytes = quint32(seconds) * Rate * 2;
    out.writeRawData("RIFF", 4);
    out << quint32(36 + bytes);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(Rate) << quint32(Rate * 2)
        << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << bytes;
    for (int i = 0; i < seconds * Rate; ++i)
        out << qint16(8000 * std::sin(2 * M_PI * hz * i / Rate));
    return file.error() == QFile::NoError;
}

/// The memory the process has in use, in MB.
double residentMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    return -1;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    QTemporaryDir dir;
    std::vector<QByteArray> files;
    for (int i = 0; i < 37; ++i) {
        const QString path = dir.filePath(QStringLiteral("sound%1.wav").arg(i));
        if (!writeTone(path, seconds, 200 + 20 * i)) {
            std::printf("soundmem: cannot write %s\n", qPrintable(path));
            return 1;
        }
        files.push_back(QFile::encodeName(path));
    }
    PulseSoundOutput output;
    output.settle(10s);
    std::printf("soundmem: %d s files, %.1f MB decoded each; start=%.0f MB", seconds,
                seconds * double(PlaybackRate * PlaybackChannels * 2) / (1024 * 1024),
                residentMb());
    for (int scheme = 0; scheme < 3; ++scheme) {
        for (int e = 1; e <= 12; ++e)
            output.preload(e, files[std::size_t(scheme * 12 + e - 1)]);
        if (!output.settle(300s)) {
            std::printf("\nsoundmem: the files took too long\n");
            return 1;
        }
        std::printf(" scheme%d=%.0f MB", scheme + 1, residentMb());
    }
    output.play(files.back());
    output.settle(300s);
    output.stop();
    std::printf(" tried=%.0f MB\n", residentMb());
    return 0;
}
