#pragma once

// The panel's tabs; `cpo` is the board (sector) tab.
enum class Tab { gold, cpo, fund };
