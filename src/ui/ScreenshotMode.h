#pragma once

#include <QString>

#include <functional>
#include <memory>

class SimProvider;

// `quotara --screenshot DIR`: the panel's pictures for the README, taken
// without showing a window.
namespace ScreenshotMode {

// Starts the simulated provider of the demo once the application is up;
// null when it cannot.
using DemoStart = std::function<std::unique_ptr<SimProvider>()>;

// Refreshes once, renders the panel at twice its size to `dir`: gold.png,
// sector.png, fund.png, settings.png, settings-search.png, rules.png,
// rule-sheet.png and holding-sheet.png. With `demo`, the data comes from the
// provider it starts. Returns the process's exit code: 0 when every picture
// was written.
int run(int argc, char** argv, const QString& dir, const DemoStart& demo);

} // namespace ScreenshotMode
