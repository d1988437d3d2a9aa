#include "korvel/controller/channelbox.h"

#include "korvel/controller/protocol.h"

#include <QComboBox>

namespace ChannelBox {

void fill(QComboBox* box) {
    box->clear();
    for (int i = 1; i <= Channels; ++i)
        box->addItem(channelText(i));
}

void setLocked(QComboBox* box, bool bLocked) {
    box->setEnabled(!bLocked);
}

} // namespace ChannelBox
