#pragma once

namespace velmora::reference {

// Window classes of the reference data the menus open by name: the dictionary update
// ("TAktualizujSlownikiBox") and a dictionary's list ("TSlownikNCTS_BOX", the window id
// naming the dictionary).
void RegisterReferenceWindows();
void UnregisterReferenceWindows();

}  // namespace velmora::reference
