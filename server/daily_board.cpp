#include "daily_board.h"

#include <cstdio>

#include "leaderboard_page.h"

namespace {

// Days from 1970-01-01 of a proleptic Gregorian date, and back, without the
// time zone the C library would bring in.
int64_t daysFromCivil(int64_t year, int month, int day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

struct Civil {
    int64_t year;
    int month, day;
};

Civil civilFromDays(int64_t days) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153;
    const int day = int(dayOfYear - (153 * mp + 2) / 5 + 1);
    const int month = int(mp < 10 ? mp + 3 : mp - 9);
    return {yearOfEra + era * 400 + (month <= 2), month, day};
}

std::string watchUrl(const LeaderRow& row) { return "/play/?replay=" + std::to_string(row.id); }
std::string fileUrl(const LeaderRow& row) { return "/replays/" + std::to_string(row.id) + ".qrp"; }

std::string seconds(uint32_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", ms / 1000.0);
    return text;
}

std::string link(const std::string& href, const std::string& text, const char* cls = "d") {
    return "<a class=\"" + std::string(cls) + "\" href=\"" + href + "\">" + text + "</a>";
}

// Yesterday, tomorrow when it has come, the leaderboard, and today's deal in the browser.
std::string navigation(const DailyBoard& board) {
    std::string nav = "<p>" + link("/daily/" + dayText(board.day - 1), "&#8592; " + dayText(board.day - 1));
    nav += " &#183; " + link("/", "HIGHSCORES");
    if (board.day < board.today) nav += " &#183; " + link("/daily/" + dayText(board.day + 1), dayText(board.day + 1) + " &#8594;");
    nav += "</p>";
    if (board.webServed && board.day == board.today) nav += "<p>" + link("/play/?daily", "PLAY TODAY'S DEAL", "play") + "</p>";
    return nav;
}

std::string rowHtml(const DailyBoard& board, const LeaderRow& row, int place) {
    std::string watch = board.webServed ? "<td>" + link(watchUrl(row), "WATCH") + "</td>" : "";
    char score[16];
    std::snprintf(score, sizeof score, "%07u", row.score);
    return "<tr><td>" + std::to_string(place) + "</td><td class=\"n\">" + escapeHtml(row.name) +
           "<a class=\"v\" href=\"" + fileUrl(row) + "\" title=\"verified: download the replay\">&#10003;</a></td><td>" +
           score + "</td><td>" + std::to_string(row.blocks) + "</td><td class=\"key\">" + seconds(row.timeMs) +
           "</td>" + watch + "</tr>";
}

}  // namespace

int64_t parseDay(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return -1;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (text[i] < '0' || text[i] > '9') return -1;
    const int year = std::stoi(text.substr(0, 4)), month = std::stoi(text.substr(5, 2)), day = std::stoi(text.substr(8, 2));
    if (year < 1970 || month < 1 || month > 12 || day < 1) return -1;
    const int64_t days = daysFromCivil(year, month, day);
    const Civil back = civilFromDays(days);
    return back.month == month && back.day == day ? days : -1;
}

std::string dayText(int64_t day) {
    const Civil date = civilFromDays(day);
    char text[32];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02d", static_cast<long long>(date.year), date.month, date.day);
    return text;
}

std::string renderDailyPage(const DailyBoard& board) {
    const std::string date = dayText(board.day);
    const std::string title = board.day == board.today ? "TODAY'S BOARD" : "BOARD OF " + date;
    std::string html =
        "<!DOCTYPE html><html lang=\"en\"><head><meta charset=\"utf-8\">"
        "<meta name=\"viewport\" content=\"width=device-width,initial-scale=1\">"
        "<title>QUADRUNE " + title + "</title><style>";
    html += kLeaderboardStyle;
    html += "a.d,a.play{color:#bfb4ff;text-decoration:none}a.d:hover,a.play:hover{text-decoration:underline}"
            "a.play{color:#ffd84a;font-size:1.2em}</style></head><body><h1>" + title + "</h1>";
    html += navigation(board);
    html += "<section class=\"m2\"><h2>TIMEATTACK &#183; " + date + "</h2>";
    if (board.rows.empty()) return html + "<p>NO GAMES YET</p></section></body></html>\n";
    html += "<table><tr><th>#</th><th class=\"n\">PLAYER</th><th>SCORE</th><th>BLOCKS</th><th>TIME</th>";
    html += board.webServed ? "<th></th></tr>" : "</tr>";
    int place = 1;
    for (const LeaderRow& row : board.rows) html += rowHtml(board, row, place++);
    return html + "</table></section></body></html>\n";
}

std::string renderDailyJson(const DailyBoard& board) {
    // Stored names hold only A-Z and 0-9, which need no escaping in JSON.
    std::string json = "{\"date\":\"" + dayText(board.day) + "\",\"seed\":" + std::to_string(board.day * 86400) +
                       ",\"today\":" + (board.day == board.today ? "true" : "false") + ",\"rows\":[";
    int place = 1;
    for (const LeaderRow& row : board.rows) {
        if (place > 1) json += ",";
        json += "{\"place\":" + std::to_string(place++) + ",\"name\":\"" + row.name + "\",\"score\":" +
                std::to_string(row.score) + ",\"blocks\":" + std::to_string(row.blocks) + ",\"time_ms\":" +
                std::to_string(row.timeMs) + ",\"replay\":\"" + fileUrl(row) + "\",\"watch\":" +
                (board.webServed ? "\"" + watchUrl(row) + "\"" : "null") + "}";
    }
    return json + "]}\n";
}
