#pragma once

namespace rghost {

// From here on Ctrl-C (SIGINT) and SIGTERM only raise a flag, which
// throwIfInterrupted turns into an exception between frames: a bake then
// stops cleanly and leaves none of its temporary files behind.
void deferInterrupts();
void throwIfInterrupted();

} // namespace rghost
