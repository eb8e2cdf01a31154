#pragma once

namespace veltrano::ui {

// The preferences of earlier versions, kept before the program named its maker for them (under
// "Unknown Organization"), are taken over once into the maker's place.
void takeOverOldSettings();

} // namespace veltrano::ui
