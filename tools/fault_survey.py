#!/usr/bin/env python3
"""Plants faults a player would see, hear or lose into the game and the score
server, one at a time, and runs the whole suite on each: a fault the suite
does not fail on is a survivor. The build goes to build-faults/ (or
$QUADRUNE_BUILD_DIR), the browser's beside it in build-faults-web/, which
is built again for the faults planted in the browser's own files; every
planted file is put back afterwards.

Usage: tools/fault_survey.py [--only ID,ID...] [--list]
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import time

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# Files only the browser's build compiles or serves.
WEB_PATHS = ("src/web/", "web/", "cmake/web.cmake")

# id, file, text as it stands, text with the fault, what the player would meet
FAULTS = [
    ("base-default-speed", "src/rules/config_file.cpp", "config.speed = 50;", "config.speed = 51;",
     "a fresh player's speed shows 051"),
    ("base-config-marker", "src/rules/config_file.cpp", "if (config.validMarker == 'Y') return;",
     "if (config.validMarker == 'y') return;", "saved settings are replaced by the defaults at every start"),
    ("base-save-no-rename", "src/rules/file_util.cpp", "if (!written || std::rename(temporary.c_str(), path) != 0) {",
     "if (!written || true) {", "no save ever reaches its file"),
    ("base-arrow-keys-lost", "src/rules/game_state.cpp", "if (symbol >= 0 && symbol < kKeyTableSize)",
     "if (symbol >= 0 && symbol < 256)", "the arrow keys do nothing"),
    ("base-key-release-as-press", "src/platform/sdl_platform.cpp",
     "event.kind = raw.type == SDL_KEYDOWN ? InputEvent::KeyDown : InputEvent::KeyUp;",
     "event.kind = InputEvent::KeyDown;", "a released key stays held"),
    ("base-player-dir", "src/platform/player_dir.cpp", 'return std::string(home) + "/.local/share/quadrune";',
     'return std::string(home) + "/.local/quadrune";',
     "the installed game keeps its saves in the wrong folder"),

    ("sound-mono-garbled", "src/sound/sound_mixer.cpp", "out[2 * i] = out[2 * i + 1] = in[i];",
     "out[2 * i] = in[i], out[2 * i + 1] = in[i / 2];", "mono effects sound garbled on the right"),
    ("sound-loop-stops", "src/sound/sound_decoder.cpp", "if (!d.loop || !d.readSinceStart) break;",
     "break;", "the music stops at its end instead of looping"),
    ("sound-clamp-wraps", "src/sound/sound_mixer.cpp",
     "out[i] = static_cast<int16_t>(v > INT16_MAX ? INT16_MAX : v < INT16_MIN ? INT16_MIN : v);",
     "out[i] = static_cast<int16_t>(v);", "loud moments crackle instead of clipping"),
    ("sound-restart-midway", "src/sound/sound_stream.cpp", "    rewindSoundDecoder(stream.decoder);\n", "",
     "music switched back on resumes mid-piece"),
    ("sound-ring-misreads", "src/sound/sound_ring.cpp", "size_t at = (taken + done) % capacity_;",
     "size_t at = (taken + done + 1) % capacity_;", "the music crackles"),
    ("sound-effect-half", "src/sound/sound_channels.cpp",
     "size_t take = std::min(frameCount - done, total - v.position);",
     "size_t take = std::min(frameCount - done, total / 2 - std::min(total / 2, v.position));",
     "effects are cut short"),
    ("sound-resample-off", "src/sound/sound_mixer.cpp", "r.phase += r.fromRate;", "r.phase += r.fromRate + 1;",
     "sounds of another rate play out of tune"),

    ("sound-stop-plays-on", "src/sound/sound_library.cpp", "        stopChannel(lib().channels, stream->channel);\n", "",
     "music switched off plays on"),

    ("render-png-bgr", "src/render/png_loader.cpp", "png_set_filler(png, 0xFF, PNG_FILLER_AFTER);",
     "png_set_filler(png, 0xFF, PNG_FILLER_AFTER);\n    png_set_bgr(png);", "pictures with red and blue swapped"),
    ("render-png-row-off", "src/render/png_loader.cpp",
     "rows[y] = image.pixels + static_cast<size_t>(y) * width * kPixelBytes;",
     "rows[y] = image.pixels + static_cast<size_t>((y + 1) % height) * width * kPixelBytes;",
     "every picture drawn a row off"),
    ("render-font-grid", "src/render/text_render.cpp", "constexpr int kCellsPerRow = 9;",
     "constexpr int kCellsPerRow = 10;", "the font grid misread: wrong letters"),
    ("render-font-advance", "src/render/text_render.cpp", "glTranslatef(kCellPixels, 0, 0);\n    glEndList();\n}",
     "glTranslatef(kCellPixels - 2, 0, 0);\n    glEndList();\n}", "letters crowd together"),
    ("render-loading-line", "src/render/text_render.cpp", "-0.2f - 0.07f *", "-0.2f - 0.05f *",
     "the loading screen's second line stands elsewhere"),
    ("render-field-of-view", "src/render/scene.cpp", "gluPerspective(45.0,", "gluPerspective(50.0,",
     "the whole scene is smaller"),
    ("render-cube-upside-down", "src/render/scene.cpp",
     "{0, 0, -kHalf, kHalf, kHalf},   {1, 0, kHalf, kHalf, kHalf},    {1, 1, kHalf, -kHalf, kHalf},   {0, 1, -kHalf, -kHalf, kHalf},",
     "{0, 1, -kHalf, kHalf, kHalf},   {1, 1, kHalf, kHalf, kHalf},    {1, 0, kHalf, -kHalf, kHalf},   {0, 0, -kHalf, -kHalf, kHalf},",
     "block pictures stand on their heads"),

    ("game-score-halved", "src/rules/board_rules.cpp", "gameState.score += static_cast<uint32_t>(n * kind * 10);",
     "gameState.score += static_cast<uint32_t>(n * kind * 5);", "runs score half"),
    ("game-time-bonus", "src/rules/board_rules.cpp", "n * 100 * (5 + kind)", "n * 100 * (4 + kind)",
     "TIMEATTACK's bonus is short"),
    ("game-fall-fast", "src/rules/board_rules.cpp", "if (cell.fallProgress <= kLastStep) {\n        cell.fallProgress += kStep;",
     "if (cell.fallProgress <= kLastStep) {\n        cell.fallProgress += 2 * kStep;", "blocks fall twice as fast"),
    ("game-cursor-row-off", "src/game/game_screen.cpp",
     "(state.boardRows - state.cursorRow) * kCellPitch", "(state.boardRows - state.cursorRow - 1) * kCellPitch",
     "the cursor is drawn a row below the cells it swaps"),
    ("game-flash-slow", "src/rules/particles.cpp", "if (board.flash > 0.0f) board.flash -= kFadeStep;",
     "if (board.flash > 0.0f) board.flash -= kFadeStep / 2;", "the flash lingers"),
    ("game-time-left-text", "src/game/game_hud.cpp", "state.timeLeftMs / 1000.0", "state.timeLeftMs / 100.0",
     "the HUD shows ten times the time left"),
    ("game-paused-moved", "src/game/game_hud.cpp", "{{250, 240, \"PAUSED\"}}", "{{260, 240, \"PAUSED\"}}",
     "PAUSED stands off centre"),
    ("game-drain-fast", "src/rules/game_clock.cpp", "return elapsedMs / 100000 + 1;", "return elapsedMs / 10000 + 1;",
     "TIMEATTACK drains far too fast"),
    ("game-pause-moves", "src/rules/game_keys.cpp", "if (state.paused != 1) readPlayKeys(state);",
     "readPlayKeys(state);", "the cursor moves while paused"),
    ("game-fall-into-reserved", "src/rules/board_rules.cpp", "bool holeBelow = below.empty && !below.busy;",
     "bool holeBelow = below.empty;", "a block falls into a cell another is already coming to"),
    ("game-drop-overwrites", "src/rules/board_rules.cpp", "if (!top.empty) return;  // the drop waits for a free top cell",
     "", "a new block replaces one standing at the top"),
    ("game-busy-blocks-match", "src/rules/board_model.cpp", "return cell.kind == kind && !cell.empty && !cell.busy;",
     "return cell.kind == kind && !cell.empty;", "blocks still moving complete runs"),
    ("game-no-crossing", "src/rules/board_model.cpp", "if (!nested) appendFirstCrossing(board, list, kind, true);",
     "", "a run's crossing run is left standing"),
    ("game-slide-into-hole", "src/rules/board_rules.cpp", "        to.empty = false;\n        from.empty = true;",
     "        to.empty = false;", "a block slid into a hole stays behind as well"),
    ("game-landing-keeps-falling", "src/rules/board_rules.cpp", "if (open && !next.slidingLeft && !next.slidingRight) below.falling = true;",
     "if (open) below.falling = true;", "a falling block drops into a swap under way"),
    ("game-swap-arc", "src/game/board_drawing.cpp", "constexpr float kArcPerPercent = 0.03141592f;",
     "constexpr float kArcPerPercent = 0.0f;", "swapped blocks pass through each other"),

    ("menu-mode-skipped", "src/menu/options_page.cpp", "if (mode == 5) mode = FreePlay;",
     "if (mode >= 4) mode = FreePlay;", "the options skip 100 MOVES"),
    ("menu-click-repeats", "src/menu/options_page.cpp",
     "if (gameState.nameEntryActive || !leftDown || gameState.clickLatch != 0 || !pointerIn(area)) return false;",
     "if (gameState.nameEntryActive || !leftDown || !pointerIn(area)) return false;",
     "one click acts again while the button is held"),
    ("menu-lower-case", "src/menu/name_entry.cpp", "if (symbol > 96) symbol -= 32;", "",
     "typed names are lower case"),
    ("menu-pick-flipped", "src/menu/menu_drawing.cpp",
     "gluPickMatrix(gameState.mouseX, static_cast<double>(viewport[3]) - gameState.mouseY, 2, 2, viewport);",
     "gluPickMatrix(gameState.mouseX, gameState.mouseY, 2, 2, viewport);", "the pointer picks the wrong item"),
    ("menu-hover-dim", "src/menu/menu_drawing.cpp", "glBlendFunc(GL_SRC_ALPHA, GL_ONE);\n    glColor3f(0.6f, 0.6f, 0.6f);",
     "glBlendFunc(GL_SRC_ALPHA, GL_ONE);\n    glColor3f(0.2f, 0.2f, 0.2f);", "the hovered item barely lights up"),
    ("menu-music-label", "src/menu/options_page.cpp", "gameState.config.musicOn ? \"ON (+-+)\" : \"OFF\"",
     "gameState.config.musicOn ? \"ON (+-+)\" : \"ON (+-+)\"", "the music line always says ON"),
    ("menu-speed-wraps", "src/menu/options_page.cpp", "std::clamp<int64_t>(speed, 0, 100)",
     "(speed + 101) % 101", "speed wraps from 100 to 0"),

    ("scores-wrong-table", "src/scores/highscore_screen.cpp", "tables[modeFacts(mode)->table]", "tables[0]",
     "TIMEATTACK shows the FREE PLAY table"),
    ("scores-mark-off", "src/scores/highscore_screen.cpp", "if (i == markedRow) texts.push_back({\">\", 0, y});",
     "if (i == markedRow + 1) texts.push_back({\">\", 0, y});", "the new row's mark stands a row low"),
    ("scores-free-play-threshold", "src/scores/highscore_table.cpp", "if (seconds < 100) return kNotEntered;",
     "if (seconds < 10) return kNotEntered;", "short FREE PLAY games enter the table"),
    ("scores-save-short", "src/scores/highscore_table.cpp",
     "writeFileAtomically(kHighscoreFileName, &gameState.highscores, sizeof(HighscoreStore));",
     "writeFileAtomically(kHighscoreFileName, &gameState.highscores, sizeof(HighscoreStore) - 8);",
     "highscore.dat loses its marker: the tables reset at the next start"),
    ("scores-split-ack-missed", "src/scores/response_scanner.cpp", "size_t keep = word_.size() - 1;",
     "size_t keep = word_.size() - 3;", "an acknowledgement split into packets is missed"),
    ("scores-time-in-seconds", "src/rules/game_result.cpp", "row.time = state.elapsedMs;",
     "row.time = state.elapsedMs / 1000;", "the upload sends seconds for milliseconds"),
    ("scores-failed-text", "src/scores/score_submit.cpp", "seams.upload.drawText(\"FAILED!\", 100, 230);",
     "seams.upload.drawText(\"FAILED!\", 100, 260);", "FAILED! overlaps the retry question"),

    ("app-frame-period", "src/app/startup.cpp", "constexpr uint32_t kFrameMs = 50;", "constexpr uint32_t kFrameMs = 40;",
     "the game runs a quarter too fast"),
    ("app-no-menu-music", "src/app/startup.cpp",
     "if (state.config.musicOn) state.musicChannel = FSOUND_Stream_Play(FSOUND_FREE, state.menuMusicStream);",
     "", "no music in the menu at start"),
    ("app-no-save-at-exit", "src/app/startup.cpp", "if (keepHighscores) saveHighscores();", "", "a fresh player's highscores are not kept"),
    ("app-no-game-results", "src/app/startup.cpp", "showHighscores(mode, insertHighscore(mode));",
     "showHighscores(mode, kNotEntered);", "a finished game is never entered"),

    ("base-replay-crc-unchecked", "src/rules/replay_file.cpp",
     "if (get32(data + size - kCrcBytes) != uint32_t(crc32(0, data, uInt(size - kCrcBytes))))",
     "if (false)", "a replay with a flipped byte is read as whole"),
    ("game-replay-pace-unchecked", "src/rules/replay_check.cpp", "if (lead < highest - 1000) return false;", "",
     "a game sped up against its clock passes as genuine"),
    ("app-recorder-loses-releases", "src/app/replay_recorder.cpp", "if (event.kind != InputEvent::Other)",
     "if (event.kind == InputEvent::KeyDown || event.kind == InputEvent::Quit)", "replays lose the key releases"),
    ("server-no-escape", "server/leaderboard_page.cpp", "case '<': out += \"&lt;\"; break;", "",
     "a name can inject markup into the leaderboard"),
    ("server-order-reversed", "server/sqlite_score_store.cpp", "Ranking::Duration) return \"time_ms DESC\";",
     "Ranking::Duration) return \"time_ms ASC\";", "TIMEATTACK's leaderboard lists the shortest games first"),
    ("server-ack-on-failure", "server/score_routes.cpp",
     "metrics_.databaseError(), metrics_.upload(\"unavailable\");\n        return plainReply(503, \"scores cannot be stored now, try again\");",
     "", "a lost row is acknowledged"),
    ("server-replay-unchecked", "server/replay_intake.cpp", "if (!verdict.matches) {", "if (false) {",
     "a forged replay marks its row verified"),
    ("server-replay-age-unchecked", "server/replay_intake.cpp",
     "if (uint64_t(replay.seed) + rules.maxAgeSeconds < rules.nowSeconds)", "if (false)",
     "a seed hunted for long ago is taken"),
    ("server-replay-share-unlimited", "server/score_server.cpp", "if (!replayShares.take(ex.request.address, 1)) return busy(\"replay\");",
     "replayShares.take(ex.request.address, 1000000);", "one address holds every verifier"),
    ("scores-replay-never-sent", "src/scores/score_submit.cpp",
     "if (sent) sendReplay(host, port, sentMode(gameState.config.gameMode));", "",
     "no row is ever verified"),
    ("game-focus-loss-ignored", "src/rules/game_keys.cpp",
     "state.paused = 1;  // as P pauses: no countdown drains while the player is away", "",
     "the countdown drains while the player is in another window"),
    ("game-pad-south-no-swap", "src/rules/game_keys.cpp", "case kPadSouth: return kKeySpace;", "",
     "a controller cannot swap"),
    ("ctrl-pad-state-unread", "src/platform/sdl_platform.cpp", "    if (openPads.empty()) return false;",
     "    return false;", "a controller does nothing beneath sdl12-compat, which sends it no joystick events"),
    ("ctrl-pad-events-twice", "src/platform/sdl_platform.cpp",
     "    return event.type >= SDL_JOYAXISMOTION && event.type <= SDL_JOYBUTTONUP;", "    return false;",
     "where SDL also sends a controller's events, every press counts twice"),
    ("ctrl-idle-pad-relisted", "src/platform/sdl_platform.cpp", "|| !openPads.empty()) return;", ") return;",
     "an idle controller is closed and opened again every 3 s, and a press meanwhile is lost"),
    ("ctrl-stick-vertical-lost", "src/rules/pad_feed.cpp",
     "    count += stick_.follow(kStickAxisY, now.stickY, out + count);\n", "",
     "the left stick cannot move the cursor up or down"),
    ("ctrl-upload-result-stuck", "src/scores/score_submit.cpp",
     "                key = event.symbol == kPadSouth ? kYKey : 0;\n                done = true;",
     "                key = event.symbol == kPadSouth ? kYKey : 0;", "a controller alone is stuck on the upload's result"),
    ("ctrl-watched-pad-as-keys", "src/app/replay_playback.cpp",
     "raw->type = event.kind == InputEvent::ButtonDown ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;",
     "raw->type = event.kind == InputEvent::ButtonDown ? SDL_KEYDOWN : SDL_KEYUP;",
     "a controller's game, watched, plays otherwise and never ends"),
    ("menu-return-ignored", "src/menu/key_selection.cpp", "case SDLK_RETURN:\n", "",
     "the menus cannot be driven from the keyboard"),
    ("app-display-loss-spins", "src/app/main.cpp", "endWithTheDisplay(!watching);", "",
     "the game spins when its X server goes"),
    ("server-score-unchecked", "server/upload_check.cpp",
     "if (score != int64_t(row.score)) return \"score is not the sum of kind x count x 10\";", "",
     "made-up scores are accepted"),
    ("server-no-rate-limit", "server/rate_limiter.cpp", "if (bucket.tokens < 1.0) return false;", "",
     "one address can flood the table"),
    ("base-save-not-synced", "src/rules/file_util.cpp", "    written = (fsync(fileno(file)) == 0) && written;\n", "",
     "a power cut just after a save can leave config.dat or highscore.dat empty"),
    ("base-save-synced-unflushed", "src/rules/file_util.cpp", "    written = (std::fflush(file) == 0) && written;\n", "",
     "the bytes still buffered miss the flush to disk: a power cut can cut a save short"),
    ("game-crossing-counted-again", "src/rules/board_model.cpp",
     "    if (!nested) appendFirstCrossing(board, list, kind, true);",
     "    size_t mainRun = list.size();\n    if (!nested) appendFirstCrossing(board, list, kind, true);\n"
     "    if (list.size() > mainRun) list.push_back(list[1]);", "a column crossing a row scores a block of the row twice"),
    ("scores-wait-ten-times", "src/scores/score_submit.h", "constexpr uint32_t kResponseWaitLimitMs = 3000;",
     "constexpr uint32_t kResponseWaitLimitMs = 30000;", "a silent score server holds the player for 30 s"),
    ("menu-options-press-carries", "src/menu/menu_screen.cpp",
     "        gameState.menuPage = OptionsPage;\n        gameState.clickLatch = 1;", "        gameState.menuPage = OptionsPage;",
     "the press that opens the options also changes the row beneath it"),
    ("menu-name-runs-on", "src/menu/name_entry.cpp",
     "    if (nameBuffer.size() >= kMaxNameLength) gameState.nameEntryActive = false;\n", "",
     "typing a name never ends by itself"),
    ("server-web-dot-names", "server/web_files.cpp", "(before == '/' && (c == '/' || c == '.'))",
     "(before == '/' && c == '/')", "hidden files beside the browser game are served"),
    ("server-web-links-out", "server/web_files.cpp",
     "if (real.compare(0, realRoot.size() + 1, realRoot + \"/\") != 0) return nullptr;", "",
     "a link in the web root serves files from anywhere"),
    ("server-web-directory", "server/web_files.cpp", "!S_ISREG(facts.st_mode)", "false",
     "a folder under /play/ is answered as a file"),
    ("server-web-gzip-refused", "server/web_headers.cpp", "return gzip >= 0 ? gzip > 0 : any > 0;",
     "return gzip >= 0 || any > 0;", "a browser that refuses gzip gets it anyway"),
    ("server-web-no-vary", "server/web_files.cpp", "if (gzipped) reply.headers.push_back({\"Vary\", \"Accept-Encoding\"});",
     "", "a proxy hands gzipped bytes to clients that cannot read them"),
    ("server-web-redirect-drops-query", "server/web_files.cpp", "(request.query.empty() ? \"\" : \"?\" + request.query)",
     "std::string()", "/play?replay=ID opens the game instead of the replay"),
    ("server-web-index-forever", "server/web_files.cpp",
     "isContentAddressed(name) ? \"public, max-age=31536000, immutable\" : \"no-cache\"",
     "\"public, max-age=31536000, immutable\"", "players keep an old build's page for a year"),
    ("server-web-stale-304", "server/web_headers.cpp", "if (ifNoneMatch.compare(at, close - at + 1, etag) == 0) return true;",
     "return true;", "a changed page answers 304 to any validator"),
    ("server-web-no-head", "server/web_files.cpp", "request.method != \"GET\" && request.method != \"HEAD\"",
     "request.method != \"GET\"", "HEAD under /play/ is refused"),
    ("server-web-no-watch-link", "server/leaderboard_page.cpp", "    if (!playable) return mark;\n", "    return mark;\n",
     "verified rows cannot be watched in the browser"),

    ("web-gl-hits-merged", "src/web/gl_selection.cpp",
     "if (!s.active || s.names.empty()) return;\n    flushHitRecord();\n    s.names.back() = name;",
     "if (!s.active || s.names.empty()) return;\n    s.names.back() = name;",
     "in the browser the menu picks the item drawn after the one under the pointer"),
    ("web-gl-near-plane-open", "src/web/gl_clipping.cpp",
     "case 4: return v.w + v.z;", "case 4: return v.w;", "in the browser things behind the eye are picked"),
    ("web-gl-overflow-hidden", "src/web/gl_selection.cpp", "result = s.count > s.size ? -1 : s.hits;",
     "result = s.hits;", "in the browser a full hit buffer goes unnoticed"),
    ("web-gl-compile-draws", "src/web/gl_display_lists.cpp", "return s.compileMode == GL_COMPILE;", "return false;",
     "in the browser compiling a display list also carries it out"),
    ("web-gl-nested-lists-lost", "src/web/gl_commands.cpp",
     "case GlOp::CallList: callDisplayList(static_cast<GLuint>(c.integer)); break;", "case GlOp::CallList: break;",
     "in the browser a display list calling another draws nothing of it"),
    ("web-gl-glyph-rounded", "src/web/gl_bitmap_text.cpp", "std::floor(r.x + epsilon - xorig)",
     "std::floor(r.x - xorig + 0.5f)", "in the browser bitmap text stands a pixel off"),
    ("web-gl-glyph-advance", "src/web/gl_bitmap_text.cpp", "r.x += xmove;", "r.x += xmove + 1;",
     "in the browser bitmap letters drift apart"),
    ("web-gl-glyph-mirrored", "src/web/gl_bitmap_text.cpp", "(row[x / 8] >> (7 - x % 8)) & 1",
     "(row[x / 8] >> (x % 8)) & 1", "in the browser bitmap letters are mirrored"),
    ("web-gl-raster-always-valid", "src/web/gl_bitmap_text.cpp", "r.valid = insideVolume(clip);",
     "r.valid = true;", "in the browser a line starting off screen still shows"),
    ("web-gl-mipmap-truncates", "src/web/gl_mipmaps.cpp", "*texel++ = static_cast<uint8_t>((sum + 2) / 4);",
     "*texel++ = static_cast<uint8_t>(sum / 4);", "in the browser distant pictures darken"),
    ("web-gl-lookat-replaces", "src/web/gl_view_matrices.cpp", "glMultMatrixf(m);", "glLoadMatrixf(m);",
     "in the browser the view ignores the matrix before it (the emulation's own fault)"),
    ("web-gl-perspective-replaces", "src/web/gl_view_matrices.cpp", "glMultMatrixd(m);", "glLoadMatrixd(m);",
     "in the browser the menu picks EXIT wherever the pointer is"),
    ("web-gl-pick-stretched", "src/web/gl_view_matrices.cpp", "static_cast<GLfloat>(viewport[3] / height), 1.0f",
     "static_cast<GLfloat>(viewport[2] / height), 1.0f", "in the browser picking is off towards the top and bottom"),
    ("web-gl-real-gl-shadowed", "src/web/gl_real.h", "#undef glIsList\n", "",
     "a renamed GL call left renamed inside the layer, where it would call the layer again"),
    ("web-gl-popattrib-keeps", "src/web/gl_attrib_stack.cpp",
     "if (saved.mask & GL_ENABLE_BIT) restoreEnables(saved.state);", "",
     "in the browser text leaves depth testing and blending as it set them"),
    ("app-daily-seeded-at-start", "src/app/daily_game.cpp", "uint32_t todaysSeed() { return dailySeed(realSecondsNow()); }",
     "uint32_t todaysSeed() { return realSecondsNow(); }", "each player's daily game deals a board of its own"),
    ("app-daily-keeps-timeattack", "src/app/daily_game.cpp", "    gameState.config.gameMode = modeChosenMeanwhile;\n", "",
     "after today's deal every game is TIMEATTACK, whatever the options chose"),
    ("app-daily-first-frame-unrecorded", "src/app/daily_game.cpp", "    delayMs(0);\n", "",
     "a daily game's replay is refused: its first frame was played but not recorded"),
    ("web-gl-viewport-stale", "src/web/gl_shadow_state.cpp", "    state.viewportKnown_ = true;\n    glViewport",
     "    glViewport", "in the browser text lands where the first viewport put it, not the current one"),
    ("web-music-skips-when-slow", "src/web/browser_sound.cpp", "        decodeStreamsAhead();\n        mixSound(", "        mixSound(",
     "in the page the music skips and stops once the decoded start is played"),
    ("web-prompt-built-in-domain", "src/web/browser_seams.cpp", "{submitScore, drawText, pageHostName}",
     "{submitScore, drawText, builtInScoreDomain}", "the page asks to send the score to a host that is not its own"),
    ("web-daily-ignored", "web/quadrune_pre.js", "Module.arguments = ['--daily'];", "Module.arguments = [];",
     "/play/?daily plays the player's own mode on a deal of its own"),
    ("web-hidden-tab-plays-on", "src/web/browser_platform.cpp",
     "raw.window.event == SDL_WINDOWEVENT_FOCUS_LOST || raw.window.event == SDL_WINDOWEVENT_HIDDEN",
     "raw.window.event == SDL_WINDOWEVENT_FOCUS_LOST", "a game in a hidden tab runs on unseen"),
    ("web-upload-body-cut", "src/web/fetch_net.cpp", "body : HEAPU8.slice(body, body + length),",
     "body : HEAPU8.slice(body, body + length - 1),", "scores sent from the page arrive a byte short"),
    ("rules-check-keeps-glows", "src/rules/replay_check.cpp", "    gameState.board.particles.clear();\n", "",
     "a watched game opens with glows never played, and the server keeps every glow it ever checked"),
    ("rules-daily-any-mode", "src/rules/daily_deal.cpp", "if (mode != TimeAttack || seed % kSecondsADay != 0)",
     "if (seed % kSecondsADay != 0)", "a FREE PLAY game begun at midnight enters the day's TIMEATTACK board"),
    ("server-daily-every-game", "server/replay_intake.cpp",
     "judgement.upload.dailyDay = dailyDayOf(replay.mode, replay.seed);",
     "judgement.upload.dailyDay = replay.seed / kSecondsADay;", "every game of the day enters its board, on any deal"),
    ("server-daily-worse-replaces", "server/sqlite_score_store.cpp", "\" WHERE excluded.time_ms > daily_best.time_ms\"",
     "\" WHERE excluded.time_ms >= 0\"", "a name's worse game of the day takes the place of its best"),
    ("server-daily-order-reversed", "server/sqlite_score_store.cpp", "\" WHERE b.day = ? ORDER BY b.time_ms DESC, b.score_id LIMIT ?\"",
     "\" WHERE b.day = ? ORDER BY b.time_ms ASC, b.score_id LIMIT ?\"", "today's board lists the shortest games first"),
    ("pg-daily-worse-replaces", "server/postgres_score_store.cpp", "\" WHERE excluded.time_ms > daily_best.time_ms\"",
     "\" WHERE excluded.time_ms >= 0\"", "on PostgreSQL a name's worse game of the day takes the place of its best"),
    ("server-daily-not-linked", "server/leaderboard_page.cpp",
     "<p><a class=\\\"d\\\" href=\\\"/daily\\\">TODAY'S BOARD</a></p>", "", "no way from the leaderboard to today's board"),
    ("server-daily-tomorrow", "server/score_routes.cpp", "board.today = int64_t(std::time(nullptr)) / 86400;",
     "board.today = int64_t(std::time(nullptr)) / 86400 + 1;", "/daily shows tomorrow's empty board"),
]


def run(command, log, cwd=None, timeout=None):
    with open(log, "w") as out:
        return subprocess.run(command, cwd=cwd, stdout=out, stderr=subprocess.STDOUT, timeout=timeout).returncode


def failed_tests(log):
    text = open(log, errors="replace").read()
    return re.findall(r"^\s*\d+ - (\S+)", text.split("The following tests FAILED:")[-1], re.M) if \
        "The following tests FAILED:" in text else []


class Web:
    """The browser's build, which the page tests of the faults build load."""

    def __init__(self, folder):
        self.folder = folder
        self.root = os.path.join(folder, "web")
        self.able = shutil.which("emcc") is not None

    def build(self, log):
        env = dict(os.environ, QUADRUNE_WEB_BUILD_DIR=self.folder)
        with open(log, "w") as out:
            return subprocess.run([os.path.join(TOP, "tools/build_web.sh")], env=env, stdout=out,
                                  stderr=subprocess.STDOUT).returncode


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--only", default="")
    parser.add_argument("--list", action="store_true")
    args = parser.parse_args()
    faults = [f for f in FAULTS if not args.only or f[0] in args.only.split(",")]
    if args.list:
        for fault in faults:
            print(f"{fault[0]:28} {fault[4]}")
        return 0
    build = os.environ.get("QUADRUNE_BUILD_DIR", os.path.join(TOP, "build-faults"))
    os.makedirs(build, exist_ok=True)
    web = Web(build + "-web")
    subprocess.run(["cmake", "-S", TOP, "-B", build, "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                    "-DQUADRUNE_BENCHMARKS=OFF", "-DQUADRUNE_WEB_ROOT=" + web.root], check=True, stdout=subprocess.DEVNULL)
    if run(["cmake", "--build", build, "-j", str(os.cpu_count())], os.path.join(build, "clean-build.log")):
        sys.exit("the unplanted tree does not build")
    if web.able and web.build(os.path.join(build, "clean-build-web.log")):
        sys.exit("the unplanted tree does not build for the browser")
    caught = 0
    for ident, path, old, new, what in faults:
        source = os.path.join(TOP, path)
        original = open(source).read()
        if original.count(old) != 1:
            sys.exit(f"{ident}: the text to replace is not in {path} exactly once")
        started = time.time()
        try:
            open(source, "w").write(original.replace(old, new))
            log = os.path.join(build, f"fault-{ident}.log")
            in_web = path.startswith(WEB_PATHS)
            if in_web and not web.able:
                verdict, tests = "skipped: no emcc", []
            elif (in_web and web.build(log + ".web")) or run(["cmake", "--build", build, "-j", str(os.cpu_count())], log):
                verdict, tests = "does not build", []
            else:
                run(["ctest", "-j", str(os.cpu_count()), "--timeout", "120", "-LE", "package", "--output-on-failure"], log, cwd=build)
                tests = failed_tests(log)
                verdict = "caught" if tests else "SURVIVED"
        finally:
            open(source, "w").write(original)
            os.utime(source)
            if in_web and web.able:
                web.build(os.path.join(build, "clean-build-web.log"))
        caught += verdict == "caught"
        print(f"{ident:28} {verdict:9} {time.time() - started:5.0f} s  {what}; {' '.join(tests[:4])}", flush=True)
    print(f"{caught} of {len(faults)} caught")
    # Leave the build as the tree is.
    run(["cmake", "--build", build, "-j", str(os.cpu_count())], os.path.join(build, "clean-build.log"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
