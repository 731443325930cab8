#include "firmware/nolkupgrade.h"

NolkUpgrade::NolkUpgrade(QObject *parent)
    : QThread(parent)
{
}

void NolkUpgrade::run()
{
}
