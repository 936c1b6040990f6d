// The port-number table beyond ComPortDevice(). Private to the engine.
#pragma once

// True when port `port`'s device comes from VANTREL_COM<n> or SetComPortDevice
// rather than the default table.
bool ComPortMappedExplicitly(int port);

// `observer` is called after every SetComPortDevice (the port selectors
// relabel their items); nullptr: none.
void SetComPortMapObserver(void (*observer)());
