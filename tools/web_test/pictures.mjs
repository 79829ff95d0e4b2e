// Compares a shot of the game's canvas with a native reference picture,
// inside the page (the browser decodes both PNGs).
//
// The tolerance: SwiftShader and Mesa's llvmpipe rasterise the same GL
// slightly differently, by a level or two in texture filtering and
// blending (the menu measures a mean of about 2 levels, no pixel past 40),
// and by a pixel along the edges of polygons and glyphs. A pixel
// counts as different only past 40 levels in some channel, and a picture
// matches while at most 0.5% of its pixels differ and the mean difference
// stays under 4 levels. A wrong view matrix, a missing or misplaced text,
// a wrong highlight or a missing texture each change far more than that
// (tests.mjs checks that the menu at rest does not match its highlight).
export const kPixelLevels = 40;
export const kShareOfPixels = 0.005;
export const kMeanLevels = 4;

// Within `region` ({x, y, width, height}) when given, else the whole picture.
export async function compareShot(page, shot, reference, region = null) {
  return page.evaluate(async (shotBase64, referenceBase64, levels, region) => {
    async function pixels(base64) {
      const image = new Image();
      image.src = 'data:image/png;base64,' + base64;
      await image.decode();
      const canvas = document.createElement('canvas');
      canvas.width = image.width;
      canvas.height = image.height;
      const context = canvas.getContext('2d');
      context.drawImage(image, 0, 0);
      const r = region || {x: 0, y: 0, width: image.width, height: image.height};
      return context.getImageData(r.x, r.y, r.width, r.height);
    }
    const a = await pixels(shotBase64), b = await pixels(referenceBase64);
    if (a.width !== b.width || a.height !== b.height)
      return {sizes: `${a.width}x${a.height} against ${b.width}x${b.height}`, share: 1, mean: 255};
    let differing = 0, total = 0;
    for (let i = 0; i < a.data.length; i += 4) {
      let worst = 0;
      for (let c = 0; c < 3; ++c) {
        const d = Math.abs(a.data[i + c] - b.data[i + c]);
        total += d;
        worst = Math.max(worst, d);
      }
      if (worst > levels) differing++;
    }
    const count = a.width * a.height;
    return {share: differing / count, mean: total / (count * 3)};
  }, shot.toString('base64'), reference.toString('base64'), kPixelLevels, region);
}

export function matches(result) {
  return !result.sizes && result.share <= kShareOfPixels && result.mean <= kMeanLevels;
}
