#include <gtest/gtest.h>
#include <png.h>
#include <sndfile.h>

#include <dirent.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "process_runner.h"
#include "temp_dir.h"

namespace {
const std::string kData = std::string(QUADRUNE_SOURCE_DIR) + "/data/";

struct Picture {
    unsigned width = 0, height = 0;
    int colorType = -1, bitDepth = 0, interlace = 0;
    std::vector<unsigned char> bytes;  // rows top first, 3 or 4 bytes a pixel
    int channels() const { return colorType == PNG_COLOR_TYPE_RGBA ? 4 : 3; }
    const unsigned char* at(unsigned x, unsigned y) const { return &bytes[(size_t(y) * width + x) * channels()]; }
};

Picture readPicture(const std::string& path) {
    Picture pic;
    // volatile: it is used again after libpng's longjmp.
    FILE* volatile file = std::fopen(path.c_str(), "rb");
    if (!file) return pic;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(file);
        return Picture{};
    }
    png_init_io(png, file);
    png_read_info(png, info);
    pic.width = png_get_image_width(png, info);
    pic.height = png_get_image_height(png, info);
    pic.colorType = png_get_color_type(png, info);
    pic.bitDepth = png_get_bit_depth(png, info);
    pic.interlace = png_get_interlace_type(png, info);
    size_t rowBytes = png_get_rowbytes(png, info);
    pic.bytes.resize(rowBytes * pic.height);
    std::vector<png_bytep> rows(pic.height);
    for (unsigned y = 0; y < pic.height; ++y) rows[y] = &pic.bytes[y * rowBytes];
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return pic;
}

struct Sound {
    SF_INFO info{};
    std::vector<float> samples;  // interleaved
    bool ok = false;
    double seconds() const { return double(info.frames) / info.samplerate; }
    float at(sf_count_t frame, int channel) const { return samples[size_t(frame) * info.channels + channel]; }
};

Sound readSound(const std::string& path) {
    Sound sound;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &sound.info);
    if (!file) return sound;
    sound.samples.resize(size_t(sound.info.frames) * sound.info.channels);
    sf_count_t got = sf_readf_float(file, sound.samples.data(), sound.info.frames);
    sf_close(file);
    sound.ok = got == sound.info.frames;
    return sound;
}

bool powerOfTwo(unsigned n) { return n && !(n & (n - 1)); }

float peakOf(const Sound& s) {
    float peak = 0;
    for (float v : s.samples) peak = std::max(peak, std::fabs(v));
    return peak;
}

std::set<std::string> filesIn(const std::string& dir) {
    std::set<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.') names.insert(e->d_name);
        closedir(d);
    }
    return names;
}

const std::vector<std::string> kPictures = {
    "palikka1.png", "palikka2.png", "palikka3.png", "palikka4.png", "palikka5.png", "palikka6.png",
    "game.png", "glow1.png", "glow2.png", "glow3.png", "glow4.png", "menu_background.png",
    "menu_exit.png", "menu_exit_mask.png", "menu_logo.png", "menu_logo_mask.png", "menu_options.png",
    "menu_options_mask.png", "menu_play.png", "menu_play_mask.png", "menufont.png"};
const std::vector<std::string> kSounds = {"muzaik.mp3", "menumusa.ogg", "boom.mp3", "pilip.ogg", "plip2.ogg"};

struct Item {
    const char* name;
    double halfWidth, halfHeight;  // of the quad the item is drawn on
};
const Item kItems[] = {{"menu_exit", 2.5, 1.2}, {"menu_play", 2.4, 1.7}, {"menu_options", 4.4, 1.7}, {"menu_logo", 4, 1}};
}  // namespace

TEST(GamePictures, AreTheFilesTheGameOpensInEightBitRgbOrRgbaAndTheSizesTheirQuadsWant) {
    EXPECT_EQ(filesIn(kData + "pics"), std::set<std::string>(kPictures.begin(), kPictures.end()));
    EXPECT_EQ(filesIn(kData + "audio"), std::set<std::string>(kSounds.begin(), kSounds.end()));
    for (const auto& name : kPictures) {
        Picture pic = readPicture(kData + "pics/" + name);
        ASSERT_GT(pic.width, 0u) << name;
        EXPECT_EQ(pic.bitDepth, 8) << name;
        EXPECT_EQ(pic.interlace, PNG_INTERLACE_NONE) << name;
        bool blended = name == "menufont.png" || name.rfind("glow", 0) == 0;
        EXPECT_EQ(pic.colorType, blended ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB) << name;
        bool mipmapped = name.rfind("menu", 0) != 0 || name == "menu_background.png";
        EXPECT_TRUE(!mipmapped || (powerOfTwo(pic.width) && powerOfTwo(pic.height))) << name;
    }
    for (const Item& item : kItems) {
        Picture pic = readPicture(kData + "pics/" + item.name + ".png");
        EXPECT_NEAR(double(pic.width) / pic.height, item.halfWidth / item.halfHeight, 0.005) << item.name;
    }
}

TEST(MenuFont, GlyphsStayInsideTheirWindowsAndEveryPrintedCharacterHasInk) {
    Picture font = readPicture(kData + "pics/menufont.png");
    ASSERT_EQ(font.colorType, PNG_COLOR_TYPE_RGBA);
    ASSERT_EQ(font.width, 270u);
    ASSERT_EQ(font.height, 300u);
    std::vector<int> inkTop(128, -1), inkBottom(128, -1);
    for (int code = 32; code <= 121; ++code) {
        SCOPED_TRACE(std::string("code ") + std::to_string(code) + " '" + char(code) + "'");
        int k = code - 32, cx = 30 * (k % 9), cy = 30 * (k / 9);
        int strongInk = 0, strayInk = 0, greyInk = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 30; ++x) {
                const unsigned char* p = font.at(cx + x, cy + y);
                bool inWindow = x >= 2 && x < 29 && y >= 2 && y < 29;
                if (p[3] && !inWindow) ++strayInk;
                if (p[3] && (p[0] != 255 || p[1] != 255 || p[2] != 255)) ++greyInk;
                if (p[3] >= 128) {
                    ++strongInk;
                    if (inkTop[code] < 0) inkTop[code] = y;
                    inkBottom[code] = y;
                }
            }
        EXPECT_EQ(strayInk, 0);
        EXPECT_EQ(greyInk, 0) << "ink must be white";
        if (code == ' ') {
            EXPECT_EQ(strongInk, 0);
        } else {
            EXPECT_GE(strongInk, 4);
        }
    }
    // Capitals and digits stand on one baseline and share one height.
    for (char c : std::string("BDEFHIKLMNPRTUVWXZ0123456789")) {
        EXPECT_EQ(inkBottom[int(c)], inkBottom['E']) << c;
        EXPECT_NEAR(inkTop[int(c)], inkTop['E'], 1) << c;
    }
    EXPECT_GE(inkBottom['E'] - inkTop['E'], 16) << "capitals too small to read at 27 units";
    EXPECT_GT(inkBottom['g'], inkBottom['E']) << "descenders go below the baseline";
}

TEST(MenuItems, EachMaskIsTheExactComplementOfItsPicture) {
    for (const Item& item : kItems) {
        SCOPED_TRACE(item.name);
        Picture pic = readPicture(kData + "pics/" + item.name + ".png");
        Picture mask = readPicture(kData + "pics/" + item.name + "_mask.png");
        ASSERT_EQ(pic.width, mask.width);
        ASSERT_EQ(pic.height, mask.height);
        ASSERT_EQ(mask.colorType, PNG_COLOR_TYPE_RGB);
        long mismatches = 0, grey = 0, shown = 0, hidden = 0;
        for (unsigned y = 0; y < pic.height; ++y)
            for (unsigned x = 0; x < pic.width; ++x) {
                const unsigned char* p = pic.at(x, y);
                const unsigned char* m = mask.at(x, y);
                if (m[0] != m[1] || m[1] != m[2]) ++grey;
                int cover = std::max({p[0], p[1], p[2]});
                if (cover + m[0] != 255) ++mismatches;
                shown += m[0] == 0;
                hidden += m[0] == 255;
            }
        EXPECT_EQ(mismatches, 0);
        EXPECT_EQ(grey, 0) << "mask pixels must be grey";
        double area = double(pic.width) * pic.height;
        EXPECT_GT(shown / area, 0.1);
        EXPECT_GT(hidden / area, 0.25);
        // The picture is framed by black, so no stray edge shows on the quad.
        for (unsigned x = 0; x < pic.width; ++x) EXPECT_EQ(mask.at(x, 0)[0], 255);
    }
}

TEST(GlowPictures, FadeToNothingBeforeTheirEdges) {
    for (int i = 1; i <= 4; ++i) {
        SCOPED_TRACE(i);
        Picture glow = readPicture(kData + "pics/glow" + std::to_string(i) + ".png");
        ASSERT_EQ(glow.colorType, PNG_COLOR_TYPE_RGBA);
        unsigned w = glow.width, h = glow.height;
        int edge = 0;
        for (unsigned t = 0; t < w; ++t) edge += glow.at(t, 0)[3] + glow.at(t, h - 1)[3];
        for (unsigned t = 0; t < h; ++t) edge += glow.at(0, t)[3] + glow.at(w - 1, t)[3];
        EXPECT_EQ(edge, 0);
        int centre = glow.at(w / 2, h / 2)[3];
        EXPECT_GT(centre, 180);
        EXPECT_GT(centre, glow.at(w / 2, h / 8)[3]);
        EXPECT_GT(centre, glow.at(w / 8, h / 2)[3]);
    }
}

TEST(GameSounds, AreStereoFilesOfTheirNamedFormatThatNeverClipAndLoopWithoutAJump) {
    struct Expect {
        const char* name;
        int major;
        double minSeconds, maxSeconds;
        bool music;
    };
    const Expect expected[] = {{"muzaik.mp3", SF_FORMAT_MPEG, 45, 90, true}, {"menumusa.ogg", SF_FORMAT_OGG, 20, 120, true},
                               {"boom.mp3", SF_FORMAT_MPEG, 0.2, 1.0, false}, {"pilip.ogg", SF_FORMAT_OGG, 0.03, 0.4, false},
                               {"plip2.ogg", SF_FORMAT_OGG, 0.03, 0.4, false}};
    float boom = peakOf(readSound(kData + "audio/boom.mp3"));
    for (const Expect& e : expected) {
        SCOPED_TRACE(e.name);
        std::vector<unsigned char> head = readFileBytes(kData + "audio/" + e.name);
        ASSERT_GE(head.size(), 4u);
        if (e.major == SF_FORMAT_OGG) EXPECT_EQ(std::string(head.begin(), head.begin() + 4), "OggS");
        else EXPECT_TRUE(head[0] == 0xFF && (head[1] & 0xE0) == 0xE0) << "starts with an MPEG frame";
        Sound s = readSound(kData + "audio/" + e.name);
        ASSERT_TRUE(s.ok);
        EXPECT_EQ(s.info.format & SF_FORMAT_TYPEMASK, e.major);
        EXPECT_EQ(s.info.samplerate, 44100);
        EXPECT_EQ(s.info.channels, 2);
        EXPECT_GE(s.seconds(), e.minSeconds);
        EXPECT_LE(s.seconds(), e.maxSeconds);
        float peak = peakOf(s);
        EXPECT_LT(peak, 0.99f);
        EXPECT_GT(peak, 0.2f) << "too faint to hear";
        if (!e.music) continue;
        EXPECT_GT(peak, 0.35f);  // about -6 dBFS, room for a boom on top
        EXPECT_LT(peak + boom, 1.0f);
        // The seam: last to first sample no bigger than 99 % of the steps,
        // and no encoder padding's silence on either side.
        sf_count_t n = s.info.frames;
        for (int ch = 0; ch < 2; ++ch) {
            std::vector<float> steps;
            for (sf_count_t i = 1; i < n; ++i) steps.push_back(std::fabs(s.at(i, ch) - s.at(i - 1, ch)));
            std::nth_element(steps.begin(), steps.begin() + steps.size() * 99 / 100, steps.end());
            EXPECT_LE(std::fabs(s.at(n - 1, ch) - s.at(0, ch)), steps[steps.size() * 99 / 100]) << ch;
        }
        auto rms = [&](sf_count_t from) {
            double sum = 0;
            for (sf_count_t i = from; i < from + 441; ++i) sum += double(s.at(i, 0)) * s.at(i, 0);
            return std::sqrt(sum / 441);
        };
        EXPECT_GT(rms(0), 0.005);
        EXPECT_GT(rms(n - 441), 0.005);
    }
}

TEST(AssetGenerator, RegeneratesTheCommittedFilesByteForByte) {
    TempDir out;
    ProcessResult run = runProcess({std::string(QUADRUNE_SOURCE_DIR) + "/tools/assets/generate.sh", out.path()},
                                   out.path(), {}, 240000);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (const auto& [folder, names] : {std::make_pair("pics/", kPictures), std::make_pair("audio/", kSounds)})
        for (const auto& name : names) {
            SCOPED_TRACE(name);
            std::vector<unsigned char> made = readFileBytes(out.file(folder + name));
            ASSERT_FALSE(made.empty());
            EXPECT_TRUE(made == readFileBytes(kData + folder + name));
        }
}
