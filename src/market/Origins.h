#pragma once

#include <QString>

#include <optional>

// Where the system's outside services live. Each origin has a built-in
// default and an environment override, so one binary talks to Eastmoney on a
// user's machine and to the simulated provider in tests and demos.
namespace Origins {

QString quote();      // QUOTARA_QUOTE_ORIGIN, delayed-quote host
QString fund();       // QUOTARA_FUND_ORIGIN, fund API host for mobile clients
QString update();     // QUOTARA_UPDATE_ORIGIN, maker's web site (version record)
QString githubApi();  // QUOTARA_GITHUB_API_ORIGIN, GitHub REST API
QString fundSearch(); // QUOTARA_FUND_SEARCH_ORIGIN, fund search (names, pinyin, codes)
QString codeSearch(); // QUOTARA_CODE_SEARCH_ORIGIN, code search (boards among the rest)

// The maker's donation page, opened by the settings' coffee link:
// QUOTARA_DONATION_URL when it holds an http(s) address, else a page on the
// maker's web site.
QString donationPage();

// "scheme://host[:port]" without a trailing slash, or nothing when the text is
// not an http(s) origin (a path, query, fragment or user info is refused).
std::optional<QString> normalize(const QString& text);

// The value of the environment variable when it holds a valid origin, else
// the fallback. An invalid override is reported once on standard error.
QString fromEnvironment(const char* variable, const QString& fallback);

} // namespace Origins
