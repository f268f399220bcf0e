/* plugin.h: module state shared between the entry points and the events. */
#ifndef RANDOMEVENTS_PLUGIN_H
#define RANDOMEVENTS_PLUGIN_H

/* Model index of the beam sprite precached at the latest map start; 0 before. */
extern int beamSprite;

#endif
