#pragma once

namespace velmora::lists {

// The message list's editors of the follow-up requests IE014, IE141 and IE054.
void RegisterFollowUpEditors();
void UnregisterFollowUpEditors();

}  // namespace velmora::lists
