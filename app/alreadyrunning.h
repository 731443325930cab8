#ifndef NOLKSET_ALREADYRUNNING_H
#define NOLKSET_ALREADYRUNNING_H

// The box a second copy of the window shows before it exits, when
// SingleInstance::claim() found the lock held.
namespace alreadyrunning {

void tell();

} // namespace alreadyrunning

#endif
