#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "web/fetch_url.h"
#include "web/refresh_url.h"
#include "web/url_parts.h"
#include "web/user_agent.h"

TEST(SplitUrl, TakesSchemeHostPortAndObject) {
    const std::string host128(128, 'h');
    const struct {
        std::string url;
        bool secure;
        std::string host;
        int port;
        const char* object;
    } cases[] = {
        {"HTTPS://Example.com/a/b.png?x=1&y=/2", true, "Example.com", 443, "/a/b.png?x=1&y=/2"},
        {"https://host:1/", true, "host", 1, "/"},
        {"http://host:65535/p#part/x", false, "host", 65535, "/p"},
        {"http://[::1]:8443/p", false, "::1", 8443, "/p"},
        {"http://[::1]/p", false, "::1", 80, "/p"},
        {"http://" + host128 + "/", false, host128, 80, "/"},
    };
    for (const auto& c : cases) {
        const std::optional<UrlParts> parts = SplitUrl(c.url.c_str());
        ASSERT_TRUE(parts) << c.url;
        EXPECT_EQ(std::make_tuple(parts->secure, parts->host, parts->port, parts->object),
                  std::make_tuple(c.secure, c.host, c.port, std::string(c.object)));
    }
    const char* const refused[] = {"http://host",         "http:///pic.jpg",         "http://host:0/p",
                                   "http://host:65536/p", "http://host:/p",          "http://host:8o/p",
                                   "http://host:-1/p",    "http://[::1/p",           "http://[::1]x/p",
                                   "ftp://host/pic.jpg",  "http://host/\r\nHost: o", ""};
    for (const char* url : refused) EXPECT_FALSE(SplitUrl(url)) << url;
    EXPECT_FALSE(SplitUrl(("http://" + host128 + "h/").c_str())) << "a host of 129 characters";
}

TEST(ResolveRefreshUrl, MakesTheTargetAbsoluteAgainstThePage) {
    const auto page = [](const std::string& target) {
        return "<html><head><META HTTP-EQUIV=\"Refresh\" CONTENT=\"0; URL=" + target + "\"></head></html>";
    };
    const std::string long64(64, 'x');
    const std::string kFolder1016 = "http://h/" + std::string(1006, 'p') + "/";
    const struct {
        std::string text;
        std::string current;
        std::string forwarded;  // empty: the text does not forward
    } cases[] = {
        {page("/pic.jpg"), "http://h/a/page.html", "http://h/pic.jpg"},
        {page("../pic.jpg"), "http://h/a/b/page.html", "http://h/a/pic.jpg"},
        {page("../pic.jpg"), "http://h/page.html", "http://h/pic.jpg"},
        {page("pic.jpg"), "http://h?next=/b/c", "http://h/pic.jpg"},
        {page("pic.jpg"), "https://h:8443/a/page?next=/b/c", "https://h:8443/a/pic.jpg"},
        {page("https://other/pic.jpg"), "http://h/a/", "https://other/pic.jpg"},
        {page("//other/pic.jpg"), "https://h/a/", "https://other/pic.jpg"},
        {page(long64), "http://h/", "http://h/" + long64},
        {page(long64 + "x"), "http://h/", ""},
        {page("pic.jpg"), "http://h/" + std::string(1024 - 9 - 7, 'p'), ""},
        {page("pic.jpg"), kFolder1016, kFolder1016 + "pic.jpg"},
        {"<meta http-equiv=\"refresh\" content=\"0;url=pic.jpg", "http://h/", ""},
        {"<meta name=\"x\" content=\"url=pic.jpg\">", "http://h/", ""},
        {"<metarefresh url=pic.jpg\">", "http://h/", ""},
        {std::string("<meta refresh\0 url=pic.jpg\"", 27), "http://h/", ""},
        {"url=first.jpg\" <meta refresh url=second.jpg\"", "http://h/", "http://h/first.jpg"},
    };
    for (const auto& c : cases) {
        const std::optional<std::string> forwarded = ResolveRefreshUrl(c.text.c_str(), c.current);
        EXPECT_EQ(forwarded.value_or(""), c.forwarded) << c.text;
    }
}

TEST(ChooseUserAgent, TakesOnlyANonEmptyStringThatFits) {
    const std::string agent = "Mozilla/5.0 (Windows NT 10.0)";
    const std::string full(127, 'a');
    const struct {
        bool found, isString;
        std::string data;
        std::size_t size;
        std::string expected;
    } cases[] = {
        {true, true, agent, agent.size(), agent},  // stored without its terminator
        {true, true, full + '\0', 128, full},
        {true, true, full + 'a', 128, kDefaultUserAgent},
        {true, true, "", 0, kDefaultUserAgent},
        {true, false, agent + '\0', agent.size() + 1, kDefaultUserAgent},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChooseUserAgent(c.found, c.isString, c.data.data(), c.size), c.expected) << c.data;
    }
}
