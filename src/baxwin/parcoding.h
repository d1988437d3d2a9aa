#pragma once

#include "baxwin/partables.h"

#include <QString>

// The parameter requests and the coding of values into write commands and out of read replies.
namespace ParCoding {

QString crlf();
QString wakeText();       // ?:
QString probeText();      // P:01R
QString readText(int n);  // P:nnR
QString writeStartText(); // X:1
QString flashStoreText(); // F:

// The message key of an error reply ("!" or "!" and one character); empty for any other line.
QString errorReplyKey(const QString& line);
// GetAxisNum: 1 field holding a number gives 1 axis, 2 fields 2 axes, 4 or 6 fields 3; any other
// count keeps the current one.
int axisCountFromProbe(const QString& reply, int current);
// Get1Par for parameter n. A one-axis controller's per-axis reply gives axis 1 only. False when
// the reply cannot be decoded (a per-axis reply with one field from a controller of more axes, a
// parameter 53 reply with fewer than four fields); nothing is stored then.
bool decodeReadReply(int n, int kind, int axisCount, const QString& reply, ParValueTable& table);
// Edit1Par: the write command for parameter n, CR LF included.
QString encodeWrite(int n, int kind, int axisCount, const ParValueTable& table);

} // namespace ParCoding
