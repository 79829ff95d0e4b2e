#pragma once

// Where each picture sits in GameState::textures; slot 0 stays unused.
enum TextureSlot : int {
    kFirstBlockSlot = 1,  // the six block kinds, kind k at slot k
    kBoardBackdropSlot = 7,
    kFirstGlowSlot = 8,  // four glows
    kGlowSlots = 4,
    kMenuBackgroundSlot = 12,
    kMenuExitSlot = 13,
    kMenuExitMaskSlot = 14,
    kMenuLogoSlot = 15,
    kMenuLogoMaskSlot = 16,
    kMenuOptionsSlot = 17,
    kMenuOptionsMaskSlot = 18,
    kMenuPlaySlot = 19,
    kMenuPlayMaskSlot = 20,
    kMenuFontSlot = 21,
    kLastPictureSlot = kMenuFontSlot,
};
