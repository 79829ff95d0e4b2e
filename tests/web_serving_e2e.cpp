#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "rules/replay_file.h"
#include "bot_game.h"
#include "game_driver.h"
#include "loopback_server.h"
#include "score_server_run.h"
#include "test_support.h"

// The browser game served by the real score server from a stand-in build laid
// out as tools/build_web.sh lays out the real one.
namespace {
namespace fs = std::filesystem;

std::string fileText(const std::string& path) {
    std::vector<unsigned char> bytes = readFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// The stand-in build's file names, by extension (".gz" for none of them).
struct Build {
    std::string dir, wasm, js, data;
    explicit Build(const std::string& where) : dir(fs::absolute(where)) {
        output({"/bin/bash", QUADRUNE_SOURCE_DIR "/tools/web_fixture.sh", dir});
        for (const auto& entry : fs::directory_iterator(dir)) {
            std::string name = entry.path().filename(), extension = entry.path().extension();
            if (extension == ".wasm") wasm = name;
            if (extension == ".js") js = name;
            if (extension == ".data") data = name;
        }
    }
    std::string bytes(const std::string& name) const { return fileText(dir + "/" + name); }
};

Answer ask(int port, const std::string& target, const std::string& headers = "", const std::string& method = "GET") {
    return exchange(port, {method + " " + target + " HTTP/1.1\r\nHost: localhost\r\n" + headers + "\r\n"});
}

Server webServer(const std::string& root) { return Server("scores.sqlite3", "1000", QUADRUNE_SCORE_SERVER, {"--web-root", root}); }

const std::string kBrowser = "HOME=$PWD timeout 120 chromium --headless --no-sandbox --disable-gpu --no-first-run"
                             " --disable-background-networking --disable-component-update"
                             " --user-data-dir=$PWD/profile --virtual-time-budget=10000 ";

// The page as Chromium leaves it once its scripts and fetches are done.
std::string domOf(int port, const std::string& target) {
    std::string url = "http://127.0.0.1:" + std::to_string(port) + target;
    if (std::system((kBrowser + "--dump-dom '" + url + "' > dom.html 2>/dev/null").c_str()) != 0) return "";
    return fileText("dom.html");
}

std::string metricLine(int port, const std::string& outcome) {
    std::string body = ask(port, "/metrics").body, name = "quadrune_web_requests_total{outcome=\"" + outcome + "\"} ";
    std::size_t at = body.find(name);
    return at == std::string::npos ? "0" : body.substr(at + name.size(), body.find('\n', at) - at - name.size());
}
}  // namespace

TEST(WebBuild, ServesEachFileWithItsTypeEncodingAndCacheLifetime) {
    Build build("web");
    Server server = webServer(build.dir);
    ASSERT_GT(server.port, 0) << server.run.err();
    const std::string html = "text/html; charset=utf-8", wasm = "application/wasm", forever = "public, max-age=31536000, immutable";
    const std::string index = build.bytes("index.html");
    struct Case {
        std::string method, target, headers;
        int status;
        std::string type, encoding, vary, cache, body, outcome;
    };
    const std::vector<Case> cases = {
        {"GET", "/play", "", 301, "text/plain; charset=utf-8", "", "", "", "moved to /play/\n", "redirect"},
        {"GET", "/play/", "Accept-Encoding: gzip\r\n", 200, html, "", "", "no-cache", index, "file"},
        {"GET", "/play/index.html", "", 200, html, "", "", "no-cache", index, "file"},
        {"GET", "/play/?replay=12", "", 200, html, "", "", "no-cache", index, "file"},
        {"GET", "/play/" + build.wasm, "Accept-Encoding: gzip, deflate, br\r\n", 200, wasm, "gzip", "Accept-Encoding",
         forever, build.bytes(build.wasm + ".gz"), "gzip"},
        {"GET", "/play/" + build.wasm, "", 200, wasm, "", "Accept-Encoding", forever, build.bytes(build.wasm), "file"},
        {"GET", "/play/" + build.wasm, "Accept-Encoding: gzip;q=0\r\n", 200, wasm, "", "Accept-Encoding", forever,
         build.bytes(build.wasm), "file"},
        {"GET", "/play/" + build.wasm, "Accept-Encoding: br, GZIP ; q=0.5\r\n", 200, wasm, "gzip", "Accept-Encoding",
         forever, build.bytes(build.wasm + ".gz"), "gzip"},
        {"GET", "/play/" + build.wasm, "Accept-Encoding: gzip;q=0.000, br\r\n", 200, wasm, "", "Accept-Encoding",
         forever, build.bytes(build.wasm), "file"},
        {"GET", "/play/" + build.wasm, "Accept-Encoding: *\r\n", 200, wasm, "gzip", "Accept-Encoding", forever,
         build.bytes(build.wasm + ".gz"), "gzip"},
        {"GET", "/play/" + build.wasm, "Accept-Encoding: *, gzip;q=0\r\n", 200, wasm, "", "Accept-Encoding", forever,
         build.bytes(build.wasm), "file"},
        {"GET", "/play/" + build.wasm, "Accept-Encoding: identity\r\n", 200, wasm, "", "Accept-Encoding", forever,
         build.bytes(build.wasm), "file"},
        {"GET", "/play/" + build.js, "Accept-Encoding: x-gzip\r\n", 200, "text/javascript", "gzip", "Accept-Encoding",
         forever, build.bytes(build.js + ".gz"), "gzip"},
        {"GET", "/play/" + build.data, "", 200, "application/octet-stream", "", "Accept-Encoding", forever,
         build.bytes(build.data), "file"},
        {"HEAD", "/play/" + build.wasm, "", 200, wasm, "", "Accept-Encoding", forever, "", "file"},
        {"HEAD", "/play/", "", 200, html, "", "", "no-cache", "", "file"},
        {"POST", "/play/", "Content-Length: 0\r\n", 405, "text/plain; charset=utf-8", "", "", "", "only GET and HEAD\n",
         "refused"},
        {"GET", "/play/quadrune.0123456789abcdef.wasm", "", 404, "text/plain; charset=utf-8", "", "", "",
         "no such file\n", "missing"},
    };
    std::map<std::string, int> outcomes;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method + " " + c.target + " " + c.headers);
        Answer answer = ask(server.port, c.target, c.headers, c.method);
        EXPECT_EQ(answer.status, c.status);
        EXPECT_EQ(answer.header("Content-Type"), c.type);
        EXPECT_EQ(answer.header("Content-Encoding"), c.encoding);
        EXPECT_EQ(answer.header("Vary"), c.vary);
        EXPECT_EQ(answer.header("Cache-Control"), c.cache);
        EXPECT_EQ(answer.body, c.body);
        EXPECT_EQ(answer.header("ETag").empty(), c.status != 200);
        ++outcomes[c.outcome];
    }
    EXPECT_EQ(ask(server.port, "/play?replay=7").header("Location"), "/play/?replay=7");
    EXPECT_EQ(ask(server.port, "/play/" + build.wasm, "", "HEAD").header("Content-Length"),
              std::to_string(build.bytes(build.wasm).size()));
    EXPECT_EQ(ask(server.port, "/play/", "", "PUT").header("Allow"), "GET, HEAD");
    outcomes["redirect"] += 1, outcomes["file"] += 1, outcomes["refused"] += 1;
    for (const auto& [outcome, count] : outcomes) EXPECT_EQ(metricLine(server.port, outcome), std::to_string(count)) << outcome;
}

TEST(WebBuild, AnswersNotModifiedOnlyForTheBytesTheClientHolds) {
    Build build("web");
    Server server = webServer(build.dir);
    ASSERT_GT(server.port, 0) << server.run.err();
    const std::string gzip = "Accept-Encoding: gzip\r\n", wasm = "/play/" + build.wasm;
    std::string zipped = ask(server.port, wasm, gzip).header("ETag"), plain = ask(server.port, wasm).header("ETag");
    std::string page = ask(server.port, "/play/").header("ETag");
    ASSERT_EQ(zipped.front(), '"') << "a strong tag";
    ASSERT_NE(zipped, plain) << "the gzipped bytes are another entity";
    struct Case {
        std::string target, headers;
        int status;
    };
    const std::vector<Case> cases = {
        {wasm, gzip + "If-None-Match: " + zipped + "\r\n", 304},
        {wasm, "If-None-Match: " + zipped + "\r\n", 200},
        {wasm, "If-None-Match: " + plain + "\r\n", 304},
        {wasm, gzip + "If-None-Match: \"other\", W/" + zipped + "\r\n", 304},
        {wasm, gzip + "If-None-Match: \"other\"\r\n", 200},
        {wasm, gzip + "If-None-Match: *\r\n", 304},
        {"/play/", "If-None-Match: " + page + "\r\n", 304},
        {"/play/", "If-None-Match: " + zipped + "\r\n", 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target + " " + c.headers);
        Answer answer = ask(server.port, c.target, c.headers);
        EXPECT_EQ(answer.status, c.status);
        EXPECT_FALSE(answer.header("ETag").empty());
        EXPECT_FALSE(answer.header("Cache-Control").empty());
        if (c.status == 304) {
            EXPECT_EQ(answer.body, "");
        }
    }
    // A new build's page, of the same length as the old: its old tag no longer holds.
    std::string index = build.bytes("index.html");
    index[index.find("Quadrune")] = 'q';
    fs::remove(build.dir + "/index.html");
    writeFileBytes(build.dir + "/index.html", std::vector<unsigned char>(index.begin(), index.end()));
    Answer fresh = ask(server.port, "/play/", "If-None-Match: " + page + "\r\n");
    EXPECT_EQ(fresh.status, 200);
    EXPECT_EQ(fresh.body, index);
    EXPECT_NE(fresh.header("ETag"), page);
}

TEST(WebBuild, RefusesEverythingOutsideTheBuild) {
    Build build("web");
    writeFileBytes("secret.txt", {'S', 'E', 'C', 'R', 'E', 'T'});
    fs::create_directory(build.dir + "/sub");
    writeFileBytes(build.dir + "/sub/inner.txt", {'i', 'n'});
    writeFileBytes(build.dir + "/.hidden", {'S', 'E', 'C', 'R', 'E', 'T'});
    fs::create_symlink(fs::absolute("secret.txt"), build.dir + "/out.txt");
    fs::create_symlink("../secret.txt", build.dir + "/up.txt");
    fs::create_symlink(fs::current_path(), build.dir + "/outside");
    fs::create_symlink(build.wasm, build.dir + "/inside.wasm");
    Server server = webServer(build.dir);
    ASSERT_GT(server.port, 0) << server.run.err();
    struct Case {
        std::string target;
        int status;
    };
    const std::vector<Case> cases = {
        {"/play/../secret.txt", 400},          {"/play/%2e%2e/secret.txt", 400},  {"/play/.%2e/secret.txt", 400},
        {"/play/%2E%2E%2Fsecret.txt", 400},    {"/play/..%2fsecret.txt", 400},    {"/play/sub/../../secret.txt", 400},
        {"/play//etc/passwd", 400},            {"/play/.hidden", 400},            {"/play/sub/", 400},
        {"/play/a\\..\\secret.txt", 400},     {"/play/index.html%00.txt", 400},  {"/play/sub", 404},
        {"/play/out.txt", 404},                {"/play/up.txt", 404},             {"/play/outside/secret.txt", 404},
        {"/play/nothing", 404},                {"/play/sub/inner.txt", 200},      {"/play/inside.wasm", 200},
    };
    for (const Case& c : cases) {
        Answer answer = ask(server.port, c.target);
        EXPECT_EQ(answer.status, c.status) << c.target;
        EXPECT_EQ(answer.body.find("SECRET"), std::string::npos) << c.target;
    }
    EXPECT_EQ(ask(server.port, "/play/inside.wasm").body, build.bytes(build.wasm)) << "links within the build are followed";
    EXPECT_EQ(ask(server.port, "/play/secret.txt", "", "DELETE").status, 405);
}

TEST(WebBuild, WithoutABuildThePageSaysWhatToInstallAndTheScoresGoOn) {
    const std::string root = fs::absolute("nowhere");
    Server server = webServer(root);
    ASSERT_GT(server.port, 0) << server.run.err();
    ASSERT_TRUE(server.run.waitForOutput("no browser game in " + root, 10000)) << server.run.out();
    for (const char* target : {"/play/", "/play/quadrune.0123456789abcdef.wasm"}) {
        Answer answer = ask(server.port, target);
        EXPECT_EQ(answer.status, 404) << target;
        EXPECT_EQ(answer.header("Content-Type"), "text/html; charset=utf-8");
        EXPECT_NE(answer.body.find("<code>quadrune-web</code> package"), std::string::npos) << answer.body;
        EXPECT_NE(answer.body.find("<code>--web-root DIR</code>"), std::string::npos);
        EXPECT_EQ(answer.body.find(root), std::string::npos) << "the server's folders stay its own";
    }
    EXPECT_EQ(exchange(server.port, {post(gameRow("NOWEB1"), 1)}).body, "dataok");
    EXPECT_EQ(ask(server.port, "/").body.find("/play/"), std::string::npos) << "no link to a game that is not there";
    EXPECT_EQ(metricLine(server.port, "no_build"), "2");

    // Installed while the server runs: served at once, and linked.
    Build build(root);
    EXPECT_EQ(ask(server.port, "/play/").status, 200);
    EXPECT_NE(ask(server.port, "/").body.find("<a href=\"/play/\">"), std::string::npos);
}

TEST(WebBuild, ChromiumPlaysFromTheLeaderboardAndWatchesEachVerifiedRow) {
    Build build("web");
    Server server = webServer(build.dir);
    ASSERT_GT(server.port, 0) << server.run.err();
    ASSERT_EQ(exchange(server.port, {post(gameRow("PLAIN1"), 3)}).body, "dataok");
    BotGameSettings game;
    game.mode = 3, game.frames = 60, game.seed = uint32_t(std::time(nullptr)) - 600, game.name = "WATCH1";
    std::vector<uint8_t> file = encodeReplay(playBotGame(game));
    ASSERT_EQ(exchange(server.port, {replayPost(std::string(file.begin(), file.end()), 3)}, 30).body, "replayok");
    std::string json = ask(server.port, "/scores.json?mode=3").body;
    std::size_t at = json.find("\"replay\":\"/replays/");
    ASSERT_NE(at, std::string::npos) << json;
    std::string id = std::to_string(std::atoll(json.c_str() + at + std::string("\"replay\":\"/replays/").size()));

    std::string dom = domOf(server.port, "/");
    EXPECT_NE(dom.find("<p class=\"play\"><a href=\"/play/\">PLAY IN YOUR BROWSER</a></p>"), std::string::npos) << dom;
    EXPECT_NE(dom.find("WATCH1<a class=\"v\" href=\"/replays/" + id + ".qrp\""), std::string::npos) << dom;
    const std::string watch = "<a class=\"w\" href=\"/play/?replay=" + id + "\"";
    EXPECT_NE(dom.find(watch), std::string::npos) << dom;
    EXPECT_EQ(dom.find("/play/?replay="), dom.find(watch) + std::string("<a class=\"w\" href=\"").size())
        << "only the verified row is watched";
    EXPECT_EQ(dom.find("/play/?replay=", dom.find(watch) + watch.size()), std::string::npos);

    // The link's page loads its script and streams its module, which only
    // application/wasm allows, through gzip.
    EXPECT_NE(domOf(server.port, "/play/?replay=" + id).find("wasm says 42, data holds 3000 bytes"), std::string::npos)
        << fileText("dom.html");
    EXPECT_NE(metricLine(server.port, "gzip"), "0");
}

TEST(WebPackage, InstallsTheBuildWhereTheServerLooksForIt) {
    Build build("web");
    std::string deb = output({"/bin/bash", QUADRUNE_SOURCE_DIR "/tools/package_web.sh", build.dir, "out"});
    deb.pop_back();  // the line's end
    EXPECT_EQ(output({"/usr/bin/dpkg-deb", "-f", deb, "Package", "Architecture"}), "Package: quadrune-web\nArchitecture: all\n");
    output({"/usr/bin/dpkg-deb", "-x", deb, "installed"});
    const std::string root = fs::absolute("installed/usr/share/quadrune-web");
    for (const auto& entry : fs::recursive_directory_iterator("installed")) {
        struct stat facts {};
        ASSERT_EQ(lstat(entry.path().c_str(), &facts), 0);
        EXPECT_EQ(facts.st_mode & 07777, entry.is_directory() ? 0755u : 0644u) << entry.path();
    }
    EXPECT_TRUE(fileExists("installed/usr/share/doc/quadrune-web/copyright"));
    EXPECT_TRUE(fileExists("installed/usr/share/doc/quadrune-web/changelog.gz"));

    // Served from where the package puts it, here unpacked into the test's folder.
    Server server = webServer(root);
    ASSERT_GT(server.port, 0) << server.run.err();
    Answer answer = ask(server.port, "/play/" + build.wasm, "Accept-Encoding: gzip\r\n");
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.body, build.bytes(build.wasm + ".gz"));
    EXPECT_EQ(ask(server.port, "/play/").body, build.bytes("index.html"));
}
