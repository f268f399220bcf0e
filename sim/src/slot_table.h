// slot_table.h: fills a host table with the slot functions and tracks the installed host.
#ifndef QVSIM_SLOT_TABLE_H
#define QVSIM_SLOT_TABLE_H

namespace qvsim {

class SimHost;

void fillSlotTable(void **slots, float *time, int *maxClients);
void setInstalledHost(SimHost *host);
SimHost *installedHost();

}  // namespace qvsim

#endif
