#include <gtest/gtest.h>

#include "platform/graphics/BezierPath.h"
#include "tests/support/TestSupport.h"

using namespace platform;

namespace {

std::shared_ptr<BezierPath> samplePath() {
  auto p = BezierPath::bezierPath();
  p->moveToPoint({0, 50});
  p->lineToPoint({1.5, -2});
  p->curveToPoint({10, 20}, {3, 4}, {5, 6});
  p->closePath();
  p->setLineWidth(0.75);
  return p;
}

const PlistDictionary& rootOf(const PlistValue& archive) {
  const PlistDictionary& d = archive.dictionary();
  return d.find("$objects")->array()[d.find("$top")->dictionary().find("root")->uid().value].dictionary();
}

}  // namespace

TEST(BezierPath, RecordsElementsPointsAndCurrentPoint) {
  BezierPath p;
  EXPECT_TRUE(p.isEmpty());
  EXPECT_FALSE(p.currentPoint());
  p.moveToPoint({1, 2});
  p.lineToPoint({3, 4});
  EXPECT_EQ(*p.currentPoint(), (Point{3, 4}));
  p.curveToPoint({9, 9}, {5, 6}, {7, 8});
  ASSERT_EQ(p.elementCount(), 3u);
  EXPECT_EQ(p.elementAtIndex(2).type, PathElementType::CurveTo);
  EXPECT_EQ(p.elementAtIndex(2).points[0], (Point{5, 6}));
  EXPECT_EQ(p.elementAtIndex(2).points[2], (Point{9, 9}));
  EXPECT_EQ(*p.currentPoint(), (Point{9, 9}));
  p.closePath();
  p.closePath();  // a second close adds nothing
  EXPECT_EQ(p.elementCount(), 4u);
  EXPECT_EQ(*p.currentPoint(), (Point{1, 2}));
  // Drawing on after a close starts a new sub-path where the closed one began.
  p.lineToPoint({0, 0});
  ASSERT_EQ(p.elementCount(), 6u);
  EXPECT_EQ(p.elementAtIndex(4).type, PathElementType::MoveTo);
  EXPECT_EQ(p.elementAtIndex(4).points[0], (Point{1, 2}));

  BezierPath q;
  q.lineToPoint({7, 7});  // no current point: the line starts the path
  EXPECT_EQ(q.elementAtIndex(0).type, PathElementType::MoveTo);
  q.appendBezierPath(p);
  EXPECT_EQ(q.elementCount(), 7u);
  q.removeAllPoints();
  EXPECT_TRUE(q.isEmpty());
}

TEST(BezierPath, LinePropertiesHaveTheirDefaults) {
  BezierPath p;
  EXPECT_EQ(p.lineWidth(), 1.0);
  EXPECT_EQ(p.lineJoinStyle(), LineJoinStyle::Miter);
  EXPECT_EQ(p.lineCapStyle(), LineCapStyle::Butt);
  EXPECT_EQ(p.flatness(), 0.6);
  EXPECT_EQ(p.miterLimit(), 10.0);
  EXPECT_EQ(p.windingRule(), WindingRule::NonZero);
}

TEST(BezierPath, ArchivesAsNSBezierPath) {
  PlistValue archive = KeyedArchiver::archivedPlistWithRootObject(samplePath());
  const PlistDictionary& root = rootOf(archive);
  const PlistArray& objects = archive.dictionary().find("$objects")->array();
  const PlistDictionary& cls = objects[root.find("$class")->uid().value].dictionary();
  EXPECT_EQ(cls.find("$classname")->string(), "NSBezierPath");
  EXPECT_EQ(cls.find("$classes")->array(), (PlistArray{"NSBezierPath", "NSObject"}));
  EXPECT_EQ(root.keys(), (std::vector<std::string>{"NSLineWidth", "NSSegmentCount", "NSSegments", "$class"}));
  EXPECT_EQ(root.find("NSLineWidth")->real(), 0.75);
  EXPECT_EQ(root.find("NSSegmentCount")->integer(), 4);

  const PlistData& seg = root.find("NSSegments")->data();
  ASSERT_EQ(seg.size(), 4u + 16 + 16 + 48);
  // Move-to (0, 50): type 0, then 0.0 and 50.0 as big-endian doubles.
  EXPECT_EQ(seg[0], 0);
  EXPECT_EQ(PlistData(seg.begin() + 1, seg.begin() + 9), PlistData(8, 0));
  EXPECT_EQ(PlistData(seg.begin() + 9, seg.begin() + 17), (PlistData{0x40, 0x49, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(seg[17], 1);
  EXPECT_EQ(seg[17 + 17], 2);
  EXPECT_EQ(seg.back(), 3);
}

TEST(BezierPath, RoundTripsWithEveryProperty) {
  auto p = samplePath();
  p->setLineJoinStyle(LineJoinStyle::Round);
  p->setLineCapStyle(LineCapStyle::Square);
  p->setFlatness(0.1);
  p->setMiterLimit(2);
  p->setWindingRule(WindingRule::EvenOdd);
  auto back = std::dynamic_pointer_cast<BezierPath>(
      KeyedUnarchiver::unarchiveObjectWithData(KeyedArchiver::archivedDataWithRootObject(p)));
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, *p);
  // And after reading, drawing on continues the last sub-path.
  back->lineToPoint({1, 1});
  EXPECT_EQ(back->elementAtIndex(4).points[0], (Point{0, 50}));

  auto empty = std::dynamic_pointer_cast<BezierPath>(
      KeyedUnarchiver::unarchiveObjectWithData(KeyedArchiver::archivedDataWithRootObject(BezierPath::bezierPath())));
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->isEmpty());
}

TEST(BezierPath, PythonPlistlibReadsTheSegments) {
  testsupport::TempDir tmp;
  ASSERT_TRUE(KeyedArchiver::archiveRootObject(samplePath(), tmp.file("p.archive")));
  const char* script = R"PY(
import plistlib, struct, sys
a = plistlib.load(open(sys.argv[1], 'rb'))
o = a['$objects']
root = o[a['$top']['root'].data]
assert o[root['$class'].data]['$classname'] == 'NSBezierPath'
seg, out, pos = root['NSSegments'], [], 0
while pos < len(seg):
    t = seg[pos]; pos += 1
    n = {0: 1, 1: 1, 2: 3, 3: 0}[t]
    pts = [struct.unpack_from('>dd', seg, pos + 16 * i) for i in range(n)]
    pos += 16 * n
    out.append((t, pts))
assert len(out) == root['NSSegmentCount']
print(root['NSLineWidth'], out)
)PY";
  auto r = testsupport::run("/usr/bin/python3", {"-c", script, tmp.file("p.archive")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "0.75 [(0, [(0.0, 50.0)]), (1, [(1.5, -2.0)]), (2, [(3.0, 4.0), (5.0, 6.0), (10.0, 20.0)]), (3, [])]\n");
}

TEST(BezierPath, RejectsMalformedSegments) {
  PlistData good = BezierPath::encodeSegments(samplePath()->elements());
  ASSERT_TRUE(BezierPath::decodeSegments(good, 4));
  EXPECT_FALSE(BezierPath::decodeSegments(good, 3));   // count disagrees
  EXPECT_FALSE(BezierPath::decodeSegments(good, -1));
  EXPECT_FALSE(BezierPath::decodeSegments(good, int64_t{1} << 62));
  PlistData shortened(good.begin(), good.end() - 2);   // cut inside the curve's points
  shortened.push_back(3);
  EXPECT_FALSE(BezierPath::decodeSegments(shortened, 4));
  PlistData badType = good;
  badType[0] = 7;
  EXPECT_FALSE(BezierPath::decodeSegments(badType, 4));
  EXPECT_TRUE(BezierPath::decodeSegments({}, 0));

  PlistValue archive = KeyedArchiver::archivedPlistWithRootObject(samplePath());
  PlistDictionary& d = archive.dictionary();
  PlistArray& objects = d.find("$objects")->array();
  objects[d.find("$top")->dictionary().find("root")->uid().value].dictionary().set("NSSegments", "text");
  EXPECT_FALSE(KeyedUnarchiver::unarchiveObjectWithPlist(archive));

  SequentialArchiver nonKeyed;
  EXPECT_FALSE(BezierPath::initWithCoder(nonKeyed));
}
