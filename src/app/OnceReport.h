#pragma once

#include <QJsonObject>

class MenuBarController;

// The one JSON object `quotara --once` prints: the controller's published
// state after a refresh, records written with their field names.
namespace OnceReport {

QJsonObject build(MenuBarController& controller);

} // namespace OnceReport
