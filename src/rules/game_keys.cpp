#include "rules/game_keys.h"

#include "rules/game_state.h"
#include "rules/pad_buttons.h"
#include "rules/board_rules.h"

namespace {
bool held(const GameState& state, int symbol) { return state.keyDown[symbol] != 0; }

// One latched step of the cursor or the swap: acts only on a fresh press,
// but a held key uses up the press whether or not it could act.
template <typename Action>
void latchedKey(GameState& state, int symbol, Action action) {
    if (!held(state, symbol)) return;
    if (state.keyLatch == 0) action();
    state.keyLatch = 1;
}

void readPlayKeys(GameState& state) {
    latchedKey(state, kKeyLeft, [&] {
        if (state.cursorColumn > 0) --state.cursorColumn;
    });
    latchedKey(state, kKeyRight, [&] {
        if (state.cursorColumn < state.boardColumns - 2) ++state.cursorColumn;
    });
    latchedKey(state, kKeyUp, [&] {
        if (state.cursorRow > 0) --state.cursorRow;
    });
    latchedKey(state, kKeyDown, [&] {
        if (state.cursorRow < state.boardRows - 1) ++state.cursorRow;
    });
    latchedKey(state, kKeySpace, [&] { startSwap(state.board, state.cursorColumn, state.cursorRow); });
}

// A controller plays through the keys its buttons stand for.
int keyForButton(int button) {
    switch (button) {
        case kPadSouth: return kKeySpace;
        case kPadStart: return kKeyP;
        case kPadEast:
        case kPadBack: return kEscapeKey;
        case kPadUp: return kKeyUp;
        case kPadDown: return kKeyDown;
        case kPadLeft: return kKeyLeft;
        case kPadRight: return kKeyRight;
        default: return -1;
    }
}
}  // namespace

void applyGameEvent(GameState& state, const InputEvent& event) {
    InputEvent keys = event;
    if (event.kind == InputEvent::ButtonDown || event.kind == InputEvent::ButtonUp) {
        keys.symbol = keyForButton(event.symbol);
        if (keys.symbol < 0) return;
        keys.kind = event.kind == InputEvent::ButtonDown ? InputEvent::KeyDown : InputEvent::KeyUp;
    }
    if (keys.kind == InputEvent::KeyDown) {
        setKeyDown(keys.symbol, 1);
    } else if (keys.kind == InputEvent::KeyUp) {
        setKeyDown(keys.symbol, 0);
        state.keyLatch = 0;
    } else if (keys.kind == InputEvent::Quit) {
        setKeyDown(kEscapeKey, 1);
    } else if (keys.kind == InputEvent::FocusLost) {
        state.paused = 1;  // as P pauses: no countdown drains while the player is away
    }
}

KeyRequests readGameKeys(GameState& state) {
    KeyRequests requests;
    if (held(state, kKeyP) && state.keyLatch == 0) {
        state.paused = state.paused == 1 ? 0 : 1;
        state.keyLatch = 1;
    }
    if (held(state, kKeyM) && state.keyLatch == 0 && state.paused != 1) {
        state.keyLatch = 1;
        requests.toggleMusic = true;
    }
    if (state.paused != 1) readPlayKeys(state);
    // Escape leaves in every state, latched or not.
    requests.leave = held(state, kEscapeKey);
    return requests;
}
