#pragma once
// Force-included into the game sources that tests/web compiles onto the GL
// layer: their functions take these names, so they link beside the native ones.
#define drawMenuBackground layerDrawMenuBackground
#define drawMenuItems layerDrawMenuItems
#define pickMenuItem layerPickMenuItem
#define drawBitmapText layerDrawBitmapText
#define drawText layerDrawText
#define drawTextTinted layerDrawTextTinted
#define buildFontLists layerBuildFontLists
#define showLoadingScreen layerShowLoadingScreen
#define kTextureFiles layerTextureFiles
#define resizeScene layerResizeScene
#define loadScene layerLoadScene
#define buildDisplayLists layerBuildDisplayLists
#define decodePng layerDecodePng
#define loadPng layerLoadPng
#define createTexture layerCreateTexture
#define loadTexture layerLoadTexture
