// The two panels of the main window.
#pragma once

namespace vlm::shell {
enum class Side { Left, Right };
}
