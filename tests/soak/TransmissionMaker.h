#pragma once

#include <QByteArray>
#include <QList>

class QRandomGenerator;

// Random device transmissions for the soak: valid ones of every device kind, near misses,
// device codes no device has, bytes outside ASCII, and bursts longer than 17 bytes.
class TransmissionMaker
{
public:
    explicit TransmissionMaker(QRandomGenerator *random);

    // A transmission of 17 or more bytes.
    QByteArray transmission();
    // length random bytes of any value.
    QByteArray noise(int length);
    // Splits bytes into one to five pieces such that all but the last together hold fewer
    // than 17 bytes: the console cannot finish reading before the last piece arrives.
    QList<QByteArray> pieces(const QByteArray &bytes);

private:
    char anyByte();
    char oneOf(const char *characters);

    QRandomGenerator *m_random = nullptr;
};
