// Runs a piece of work with the calling thread's texts held back and
// dropped, and tells whether it wrote any. For a look ahead whose answer is
// only used when it was silent: the same work done again later, in its
// place, then prints exactly what it would have printed. Texts of other
// threads (the console control handler's) still reach the sink in use.
#pragma once

#include <functional>

// True when work wrote nothing on either stream from this thread.
bool ran_silently(const std::function<void()>& work);
