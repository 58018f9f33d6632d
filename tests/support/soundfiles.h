#ifndef TAVREL_SOUNDFILES_H
#define TAVREL_SOUNDFILES_H

// Sound files for rings and previews. Needs only QtCore.
#include <QByteArray>
#include <QDataStream>
#include <QtMath>

// A mono 16-bit PCM tone: short enough that a ring ends on its own within a test.
inline QByteArray toneWav(double seconds)
{
    const int rate = 8000;
    const int samples = int(rate * seconds);
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    s.writeRawData("RIFF", 4);
    s << quint32(36 + samples * 2);
    s.writeRawData("WAVEfmt ", 8);
    s << quint32(16) << quint16(1) << quint16(1) << quint32(rate) << quint32(rate * 2) << quint16(2)
      << quint16(16);
    s.writeRawData("data", 4);
    s << quint32(samples * 2);
    for (int n = 0; n < samples; ++n)
        s << qint16(6000 * qSin(2 * M_PI * 440 * n / rate));
    return out;
}

#endif // TAVREL_SOUNDFILES_H
