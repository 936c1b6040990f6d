// Telling the features that a panel's slots are ready (runtime/panel_slots.h).
// Private to the engine: only runtime/ includes it.
#pragma once

// Tells every panel-slots listener that `panel` is shown with its slots.
void OfferPanelSlots(int panel);
