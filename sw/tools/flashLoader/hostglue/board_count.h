// How many Corvane boards the machine holds: one per PCI function 0 of a
// Corvane network device.
#pragma once

// The highest card index of the last count (count - 1).
extern int g_highest_card_index;

// The number of Corvane boards present; -1 when the devices cannot be listed.
int count_boards();
