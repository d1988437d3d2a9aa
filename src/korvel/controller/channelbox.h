#pragma once

class QComboBox;

// The channel boxes of the transfer dialogs: "01" to "15".
namespace ChannelBox {
inline constexpr int Channels = 15;
void fill(QComboBox* box);
// Locked: the operator cannot pick another channel while a request is pending.
void setLocked(QComboBox* box, bool bLocked);
} // namespace ChannelBox
