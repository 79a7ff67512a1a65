#pragma once

#include <QString>

// Pinyin initials as the live search services index names ("半导体" is
// "BDT", "易方达优质精选混合(QDII)" is "YFDYZJXHHQDII"): one capital per Han
// character, Latin letters and digits kept in upper case, the rest left out.
namespace SimPinyin {

// Han characters outside the catalogue's names have no initial here and are
// left out too; the catalogue is all the simulator ever indexes.
QString initials(const QString& text);

} // namespace SimPinyin
