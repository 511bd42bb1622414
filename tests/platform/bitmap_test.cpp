#include "platform/bitmap.h"
#include "platform/imagelist.h"
#include "platform/resources.h"
#include "tests/platform/visual_support.h"
#include "tests/support/tempdir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using ravelda::test::At;
using ravelda::test::MakeBmp;

namespace {

// A 5 x 3 picture: a diagonal of the second colour on the first, the last pixel in the third.
std::vector<std::uint32_t> Pattern() {
    return {1, 0, 0, 0, 0, //
            0, 1, 0, 0, 0, //
            0, 0, 1, 0, 2};
}

} // namespace

TEST(Bitmap, LoadsEveryClassicBitDepth) {
    const std::vector<TColor> palette = {clWhite, clNavy, clRed};
    struct Case {
        int bits;
        std::vector<TColor> palette;
    } cases[] = {
        {4, palette},
        {8, palette},
        {1, {clWhite, clNavy}},
    };
    for (const Case& c : cases) {
        auto pixels = Pattern();
        if (c.bits == 1) pixels.back() = 1;
        TBitmap bmp;
        bmp.LoadFromData(MakeBmp(5, 3, c.bits, c.palette, pixels));
        ASSERT_EQ(bmp.Width(), 5) << c.bits;
        ASSERT_EQ(bmp.Height(), 3) << c.bits;
        // Row order: the file stores rows bottom-up, the picture's top row is first here.
        EXPECT_EQ(At(bmp, 0, 0), clNavy) << c.bits;
        EXPECT_EQ(At(bmp, 1, 0), clWhite) << c.bits;
        EXPECT_EQ(At(bmp, 2, 2), clNavy) << c.bits;
        EXPECT_EQ(At(bmp, 4, 2), c.bits == 1 ? clNavy : clRed) << c.bits;
    }
    std::vector<std::uint32_t> rgb;
    for (std::uint32_t p : Pattern())
        rgb.push_back(static_cast<std::uint32_t>(palette[p]));
    TBitmap bmp;
    bmp.LoadFromData(MakeBmp(5, 3, 24, {}, rgb));
    EXPECT_EQ(At(bmp, 0, 0), clNavy);
    EXPECT_EQ(At(bmp, 4, 2), clRed);
}

TEST(Bitmap, RefusesWhatIsNotABitmap) {
    TBitmap bmp;
    const QByteArray good = MakeBmp(2, 2, 24, {}, {0, 0, 0, 0});
    for (const QByteArray& bad :
         {QByteArray(), QByteArray("GIF89a"), QByteArray("BM"), good.left(good.size() / 2 - 3),
          QByteArray("BM") + QByteArray(60, '\xFF')}) {
        EXPECT_THROW(bmp.LoadFromData(bad), EInvalidGraphic) << bad.size();
    }
    EXPECT_THROW(bmp.LoadFromFile(QStringLiteral("/nonexistent/glyph.bmp")), EInOutError);
}

TEST(Bitmap, FilesAndStoredDataRoundTrip) {
    ravelda::test::TempDir dir;
    TBitmap bmp(3, 2);
    bmp.Canvas()->SetPixel(2, 1, clTeal);
    const QString path = QString::fromStdString((dir.path() / "x.bmp").string());
    bmp.SaveToFile(path);
    TBitmap back;
    back.LoadFromFile(path);
    EXPECT_EQ(back.Width(), 3);
    EXPECT_EQ(At(back, 2, 1), clTeal);
    EXPECT_EQ(At(back, 0, 0), clWhite);

    // The stored form is the file's length, then the file.
    const QByteArray data = bmp.Data();
    const QByteArray file = bmp.SaveToData();
    EXPECT_EQ(qFromLittleEndian<quint32>(data.constData()), static_cast<quint32>(file.size()));
    TBitmap stored;
    stored.SetData(data);
    EXPECT_EQ(At(stored, 2, 1), clTeal);
    EXPECT_THROW(stored.SetData(QByteArray("\xFF\xFF\x00\x00BM", 6)), EInvalidGraphic);
    stored.SetData(QByteArray());
    EXPECT_TRUE(stored.Empty());
}

TEST(Bitmap, MemoryBitmapsKeepTheirPictureWhenResized) {
    TBitmap bmp(4, 4);
    bmp.Canvas()->Brush()->SetColor(clRed);
    bmp.Canvas()->FillRect(Rect(0, 0, 4, 4));
    bmp.SetSize(6, 5);
    EXPECT_EQ(At(bmp, 3, 3), clRed);
    EXPECT_EQ(At(bmp, 5, 4), clWhite);
    // Drawing continues on the new picture.
    bmp.Canvas()->FillRect(Rect(5, 4, 6, 5));
    EXPECT_EQ(At(bmp, 5, 4), clRed);
    bmp.SetSize(0, 0);
    EXPECT_TRUE(bmp.Empty());
    // An empty bitmap has nothing to draw on.
    EXPECT_THROW(bmp.Canvas()->FillRect(Rect(0, 0, 1, 1)), EInvalidOperation);
}

TEST(Bitmap, AssignCopiesThePicture) {
    TBitmap a(2, 2);
    a.Canvas()->SetPixel(0, 0, clBlue);
    TBitmap b;
    b.Assign(a);
    a.Canvas()->SetPixel(0, 0, clRed);
    EXPECT_EQ(At(b, 0, 0), clBlue);
    EXPECT_EQ(At(a, 0, 0), clRed);
}

class ImageListTest : public ::testing::Test {
protected:
    // Three 4 x 4 images side by side on a fuchsia background: a black dot at (i, i).
    ImageListTest() : strip(12, 4), target(8, 8) {
        strip.Canvas()->Brush()->SetColor(clFuchsia);
        strip.Canvas()->FillRect(Rect(0, 0, 12, 4));
        for (int i = 0; i < 3; ++i)
            strip.Canvas()->SetPixel(i * 4 + i, i, clBlack);
        list.SetWidth(4);
        list.SetHeight(4);
        ClearTarget();
    }
    void ClearTarget() {
        target.Canvas()->Brush()->SetColor(clGreen);
        target.Canvas()->FillRect(Rect(0, 0, 8, 8));
    }
    TBitmap strip;
    TBitmap target;
    TImageList list;
};

TEST_F(ImageListTest, AddMaskedCutsTheStripAndKeysTheBottomLeftColour) {
    EXPECT_EQ(list.AddMasked(strip, clDefault), 0);
    ASSERT_EQ(list.Count(), 3);
    list.Draw(*target.Canvas(), 2, 2, 1);
    EXPECT_EQ(At(target, 3, 3), clBlack);
    EXPECT_EQ(At(target, 2, 2), clGreen);
    EXPECT_EQ(At(target, 5, 5), clGreen);
    EXPECT_EQ(list.AddMasked(strip, clBlack), 3);
    EXPECT_EQ(list.Count(), 6);
    ClearTarget();
    list.Draw(*target.Canvas(), 0, 0, 3);
    EXPECT_EQ(At(target, 1, 1), clFuchsia);
    EXPECT_EQ(At(target, 0, 0), clGreen);
}

TEST_F(ImageListTest, DisabledImagesAreEmbossed) {
    list.AddMasked(strip);
    list.Draw(*target.Canvas(), 0, 0, 2, false);
    EXPECT_EQ(At(target, 2, 2), ColorToRGB(clBtnShadow));
    EXPECT_EQ(At(target, 3, 3), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(At(target, 1, 1), clGreen);
}

TEST_F(ImageListTest, IndexesOutOfRange) {
    list.AddMasked(strip);
    list.Draw(*target.Canvas(), 0, 0, -1);
    list.Draw(*target.Canvas(), 0, 0, 3);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(At(target, x, y), clGreen);
    EXPECT_THROW(list.Delete(3), EInvalidOperation);
    TBitmap out;
    EXPECT_THROW(list.GetBitmap(-1, out), EInvalidOperation);
    list.Delete(0);
    EXPECT_EQ(list.Count(), 2);
    list.GetBitmap(0, out);
    EXPECT_EQ(out.Width(), 4);
    EXPECT_EQ(At(out, 1, 1), clBlack);
    EXPECT_EQ(At(out, 0, 0), clWhite);
    // A new size empties the list.
    list.SetWidth(6);
    EXPECT_EQ(list.Count(), 0);
}

TEST(Resources, BitmapsByNameAndClearErrors) {
    RegisterResource(QStringLiteral("TEST_GLYPH"), MakeBmp(2, 1, 24, {}, {clRed, clBlue}));
    auto bmp = LoadBitmapResource(QStringLiteral("test_glyph"));
    ASSERT_EQ(bmp->Width(), 2);
    EXPECT_EQ(At(*bmp, 1, 0), clBlue);
    EXPECT_TRUE(ResourceNames().contains(QStringLiteral("TEST_GLYPH")));
    try {
        LoadBitmapResource(QStringLiteral("WW_NO_SUCH_GLYPH"));
        FAIL() << "no error";
    } catch (const EResNotFound& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Resource WW_NO_SUCH_GLYPH not found"));
    }
    RegisterResource(QStringLiteral("NOT_A_BITMAP"), QByteArray("hello"));
    EXPECT_THROW(LoadBitmapResource(QStringLiteral("NOT_A_BITMAP")), EInvalidGraphic);
}

TEST(Resources, EveryFileOfTheResourcesFolderIsEmbedded) {
    const QDir dir(QStringLiteral(RAVELDA_SOURCE_DIR "/resources"));
    QStringList files;
    for (const QString& file : dir.entryList(QDir::Files))
        if (!file.endsWith(QLatin1String(".txt")) && !file.endsWith(QLatin1String(".md")) &&
            !file.endsWith(QLatin1String(".cpp")) && !file.endsWith(QLatin1String(".h")))
            files << file;
    if (files.isEmpty()) GTEST_SKIP() << "the resources folder is empty";
    for (const QString& file : files) {
        const QString name = QFileInfo(file).completeBaseName().toUpper();
        QFile f(dir.filePath(file));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(FindResourceData(name), f.readAll()) << name.toStdString();
        if (file.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive)) {
            EXPECT_FALSE(LoadBitmapResource(name)->Empty()) << name.toStdString();
        }
    }
}
