#include "leaderboard_page.h"

#include "rules/game_modes.h"

#include <cstdio>

namespace {

// The highscore screen's look: white spaced capitals on a dark violet glow,
// each mode framed in the colour of one of the blocks.
const char* const kStyle =
    "*{box-sizing:border-box}"
    "body{margin:0;padding:1em .5em;min-height:100vh;color:#fff;"
    "background:radial-gradient(ellipse at 50% 40%,#3a2378 0%,#1b0f44 45%,#07051a 100%) fixed;"
    "font:bold clamp(13px,3.6vw,17px)/1.35 'DejaVu Sans','Verdana',sans-serif}"
    "h1{text-align:center;letter-spacing:.35em;margin:.2em 0 .8em;font-size:1.9em;"
    "text-shadow:0 0 12px #8f6cff}"
    "section{max-width:34em;margin:0 auto 1.2em;padding:.4em .6em .6em;border:3px solid;"
    "border-radius:6px;background:rgba(6,4,24,.72)}"
    "h2{margin:.1em 0 .4em;letter-spacing:.3em;font-size:1.15em}"
    ".m1{border-color:#e2433b}.m1 h2{color:#ff6a5c}.m2{border-color:#f2c21f}.m2 h2{color:#ffd84a}"
    ".m3{border-color:#9b3fd1}.m3 h2{color:#c681f2}.m4{border-color:#2f63d8}.m4 h2{color:#6f9dff}"
    "table{width:100%;border-collapse:collapse;font-variant-numeric:tabular-nums}"
    "th,td{padding:.2em .3em;text-align:right;white-space:nowrap}"
    "th{letter-spacing:.15em;color:#bfb4ff;font-size:.85em}"
    "td.n,th.n{text-align:left;width:100%;letter-spacing:.12em}"
    "tr:nth-child(even) td{background:rgba(255,255,255,.06)}"
    "p{margin:.3em 0;text-align:center;color:#8d84c0;letter-spacing:.2em}"
    ".key{color:#4fd36b}"
    "a.v{color:#4fd36b;text-decoration:none;margin-left:.4em}a.v:hover{text-decoration:underline}"
    "a.w{color:#6f9dff;text-decoration:none;margin-left:.5em;font-size:.75em;letter-spacing:.1em}"
    "a.w:hover,p.play a:hover{text-decoration:underline}"
    "p.play a{color:#ffd84a;text-decoration:none;font-size:1.1em}";

std::string fixed(double value, int decimals) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string padded(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%07u", value);
    return text;
}

double perSecond(const LeaderRow& row) { return row.timeMs ? row.score * 1000.0 / row.timeMs : 0.0; }

// The column the mode is ranked by is drawn in green.
std::string cell(const std::string& text, bool key) {
    return key ? "<td class=\"key\">" + text + "</td>" : "<td>" + text + "</td>";
}

std::string replayUrl(const LeaderRow& row) { return "/replays/" + std::to_string(row.id) + ".qrp"; }

// A row the server played again carries a tick that downloads its replay and,
// where the browser game is served, a link that watches it there.
std::string verifiedMark(const LeaderRow& row, bool playable) {
    if (!row.verified) return "";
    std::string mark = "<a class=\"v\" href=\"" + replayUrl(row) + "\" title=\"verified: download the replay\">&#10003;</a>";
    if (!playable) return mark;
    return mark + "<a class=\"w\" href=\"/play/?replay=" + std::to_string(row.id) +
           "\" title=\"watch the game in your browser\">WATCH</a>";
}

std::string renderBoard(const ModeBoard& board, bool playable) {
    std::string html = "<section class=\"m" + std::to_string(board.mode) + "\"><h2>" + modeTitle(board.mode) +
                       "</h2>";
    if (board.rows.empty()) return html + "<p>NO SCORES YET</p></section>";
    html += "<table><tr><th>#</th><th class=\"n\">PLAYER</th><th>SCORE</th><th>TIME</th><th>PER S</th></tr>";
    int place = 1;
    for (const LeaderRow& row : board.rows) {
        html += "<tr><td>" + std::to_string(place++) + "</td><td class=\"n\">" + escapeHtml(row.name) + verifiedMark(row, playable) +
                "</td>" +
                cell(padded(row.score), board.mode >= 3) + cell(fixed(row.timeMs / 1000.0, 1), board.mode == 2) +
                cell(fixed(perSecond(row), 1), board.mode == 1) + "</tr>";
    }
    return html + "</table></section>";
}

}  // namespace

const char* modeTitle(int mode) {
    const char* name = gameModeName(mode);
    return name ? name : "100 MOVES";
}

std::string escapeHtml(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string renderLeaderboardPage(const std::vector<ModeBoard>& boards, bool playable) {
    std::string html =
        "<!DOCTYPE html><html lang=\"en\"><head><meta charset=\"utf-8\">"
        "<meta name=\"viewport\" content=\"width=device-width,initial-scale=1\">"
        "<title>QUADRUNE HIGHSCORES</title><style>";
    html += kStyle;
    html += "</style></head><body><h1>HIGHSCORES</h1>";
    if (playable) html += "<p class=\"play\"><a href=\"/play/\">PLAY IN YOUR BROWSER</a></p>";
    for (const ModeBoard& board : boards) html += renderBoard(board, playable);
    return html + "</body></html>\n";
}

std::string renderScoresJson(const ModeBoard& board) {
    // Stored names hold only A-Z and 0-9, which need no escaping in JSON.
    std::string json = "{\"mode\":" + std::to_string(board.mode) + ",\"title\":\"" + modeTitle(board.mode) +
                       "\",\"rows\":[";
    for (std::size_t i = 0; i < board.rows.size(); ++i) {
        const LeaderRow& row = board.rows[i];
        if (i) json += ",";
        json += "{\"name\":\"" + row.name + "\",\"score\":" + std::to_string(row.score) +
                ",\"blocks\":" + std::to_string(row.blocks) + ",\"time_ms\":" + std::to_string(row.timeMs) +
                ",\"score_per_second\":" + fixed(perSecond(row), 3) + ",\"verified\":" + (row.verified ? "true" : "false") +
                ",\"replay\":" + (row.verified ? "\"" + replayUrl(row) + "\"" : "null") + "}";
    }
    return json + "]}\n";
}
