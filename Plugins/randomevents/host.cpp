/* host.cpp: the host's table as the module keeps it. */
#include "host.h"

void **hostFuncs;

/* A table without its clock or player count is unusable: the module then
 * stays detached rather than check both pointers on every frame. */
void HostAttach(void **table)
{
    if (table && (!table[SLOT_pTime] || !table[SLOT_pMaxClients]))
        table = 0;
    hostFuncs = table;
}
