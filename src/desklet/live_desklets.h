// The desklets the host has not destroyed yet. A property page holds its desklet by address,
// and the host's sheet can stay open after the widget is gone: a page asks here before it
// touches the address.
#pragma once

namespace tideglass {

class Configurable;

void addLiveDesklet(const Configurable* desklet);
void removeLiveDesklet(const Configurable* desklet);
// `desklet` when it is still live, otherwise null.
Configurable* liveDesklet(Configurable* desklet);

}  // namespace tideglass
