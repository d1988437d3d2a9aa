#pragma once

#include "shared/seriallink.h"

// The link's messages as Korvel's numbered message boxes.
class KorvelLinkMessenger : public LinkMessenger {
public:
    void showLinkMessage(int code) override;
};
