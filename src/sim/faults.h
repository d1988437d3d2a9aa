#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

namespace Sim {

// A fault that the simulator injects instead of its normal reply, chosen by the number of the
// request in the session (1 = the first line received) or by the request's text.
// Written ACTION[=ARGS]@SELECTOR:
//   error[=C]          reply "!" and C (default "!0"; "error=" gives "!" alone)
//   reply=TEXT         reply TEXT instead
//   noreply            no reply at all
//   split[=N[,MS]]     the reply and its line end in pieces of N bytes (1), MS ms apart (50)
//   garbage[=N]        N noise bytes (8), no line end, instead of the reply
//   hangup             close the device, as an unplugged adapter, instead of replying
//   delay=MS           reply MS ms later
//   corrupt            take the step text in and answer as usual, but keep it altered (a
//                      value changed, or the command of a step without values), so that the
//                      program read back differs from the one sent
// SELECTOR: digits = request number; TEXT = every request equal to TEXT; TEXT* = every
// request starting with TEXT; an empty TEXT ("@") selects the empty request.
struct Fault {
    enum class Kind { Error, Reply, NoReply, Split, Garbage, Hangup, Delay, Corrupt };
    Kind kind = Kind::Error;
    QByteArray text;   // Error, Reply: the reply line
    int pieceSize = 1; // Split
    int pauseMs = 50;  // Split
    int count = 8;     // Garbage
    int delayMs = 0;   // Delay

    int requestNo = 0; // selector by number, 0 = by text
    QByteArray match;
    bool prefix = false;

    bool selects(int number, const QByteArray& request) const;
};

bool parseFault(const QString& option, Fault* fault, QString* why);

// The bytes of `count` noise characters: never CR or LF, so no line ends.
QByteArray noiseBytes(int count);

// Splits bytes into pieces of at most `size` bytes.
QVector<QByteArray> splitPieces(const QByteArray& bytes, int size);

} // namespace Sim
