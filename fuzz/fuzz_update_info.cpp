// The update records: the version record on the maker's site and GitHub's
// latest-release answer, from the body's bytes on.
#include "FuzzCheck.h"
#include "update/UpdateInfo.h"

namespace {

void check(const UpdateInfo& info)
{
    require(UpdateInfo::fromJson(info.toJson()) == info, "a written record reads back equal");
    if (const auto url = info.openableDownloadUrl()) {
        const QString scheme = url->scheme().toLower();
        require((scheme == u"http" || scheme == u"https") && !url->host().isEmpty(),
                "only a web address with a host is ever opened");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = inputBytes(data, size);
    if (const auto info = UpdateInfo::fromJson(bytes))
        check(*info);
    const QString page = QStringLiteral("https://github.com/kestrin-orlenby/quotara/releases");
    if (const auto release = UpdateInfo::fromGitHubRelease(bytes, page)) {
        require(release->downloadUrl == page + QStringLiteral("/latest"),
                "a release downloads from its page");
        check(*release);
    }
    return 0;
}
