#include <gtest/gtest.h>

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/KeyedArchiver.h"
#include "tests/support/TestSupport.h"

using namespace platform;

namespace {

// A small object graph: keyed values of every kind, a string, child objects, unkeyed floats.
class Node : public Coding {
 public:
  std::string name;
  int64_t count = 0;
  double ratio = 0;
  bool flag = false;
  PlistData bytes;
  std::vector<float> sequence;
  std::shared_ptr<Node> left, right;

  std::string className() const override { return "XTestNode"; }
  void encodeWithCoder(Coder& c) const override {
    for (float f : sequence) c.encodeFloat(f);
    c.encodeInt(static_cast<int64_t>(sequence.size()), "Count");
    c.encodeString(name, "Name");
    c.encodeInt(count, "Number");
    c.encodeDouble(ratio, "Ratio");
    c.encodeBool(flag, "Flag");
    c.encodeBytes(bytes, "Bytes");
    c.encodeObject(left, "Left");
    c.encodeObject(right, "Right");
  }
  static std::shared_ptr<Coding> decode(Coder& c) {
    auto n = std::make_shared<Node>();
    int64_t k = c.decodeInt("Count");
    if (k < 0 || k > 1000) return nullptr;
    for (int64_t i = 0; i < k; ++i) n->sequence.push_back(c.decodeFloat());
    n->name = c.decodeString("Name").value_or("");
    n->count = c.decodeInt("Number");
    n->ratio = c.decodeDouble("Ratio");
    n->flag = c.decodeBool("Flag");
    n->bytes = c.decodeBytes("Bytes");
    n->left = std::dynamic_pointer_cast<Node>(c.decodeObject("Left"));
    n->right = std::dynamic_pointer_cast<Node>(c.decodeObject("Right"));
    return n;
  }
};

const bool kNodeRegistered = KeyedUnarchiver::registerClass("XTestNode", Node::decode);

std::shared_ptr<Node> sampleGraph() {
  auto shared = std::make_shared<Node>();
  shared->name = "leaf ü";
  shared->count = -5;
  auto root = std::make_shared<Node>();
  root->name = "root";
  root->count = int64_t{1} << 40;
  root->ratio = 0.75;
  root->flag = true;
  root->bytes = {0, 1, 2, 255};
  root->sequence = {1.5f, -2.25f, 0.1f};
  root->left = shared;
  root->right = shared;  // one object referenced twice
  return root;
}

}  // namespace

TEST(KeyedArchiver, WritesTheArchiveStructure) {
  ASSERT_TRUE(kNodeRegistered);
  PlistValue archive = KeyedArchiver::archivedPlistWithRootObject(sampleGraph());
  const PlistDictionary& d = archive.dictionary();
  EXPECT_EQ(d.find("$archiver")->string(), "NSKeyedArchiver");
  EXPECT_EQ(d.find("$version")->integer(), 100000);
  ASSERT_TRUE(d.find("$top")->dictionary().find("root")->isUid());
  const PlistArray& objects = d.find("$objects")->array();
  EXPECT_EQ(objects[0].string(), "$null");

  const PlistDictionary& root = objects[d.find("$top")->dictionary().find("root")->uid().value].dictionary();
  // Unkeyed values take "$0", "$1", ... in order.
  EXPECT_FLOAT_EQ(static_cast<float>(root.find("$0")->real()), 1.5f);
  EXPECT_FLOAT_EQ(static_cast<float>(root.find("$2")->real()), 0.1f);
  EXPECT_EQ(root.find("$3"), nullptr);
  // The string is an object reference; the shared child is archived once.
  EXPECT_EQ(objects[root.find("Name")->uid().value].string(), "root");
  EXPECT_EQ(root.find("Left")->uid(), root.find("Right")->uid());
  const PlistDictionary& cls = objects[root.find("$class")->uid().value].dictionary();
  EXPECT_EQ(cls.find("$classname")->string(), "XTestNode");
  EXPECT_EQ(cls.find("$classes")->array(), (PlistArray{"XTestNode", "NSObject"}));
  // Both nodes share one class entry.
  const PlistDictionary& leaf = objects[root.find("Left")->uid().value].dictionary();
  EXPECT_EQ(leaf.find("$class")->uid(), root.find("$class")->uid());
  EXPECT_EQ(leaf.find("Left")->uid().value, 0u);  // nil is "$null"
}

TEST(KeyedArchiver, RoundTripsThroughBinaryPlistAndFile) {
  testsupport::TempDir tmp;
  std::string path = tmp.file("graph.archive");
  ASSERT_TRUE(KeyedArchiver::archiveRootObject(sampleGraph(), path));
  EXPECT_EQ(readWholeFile(path)->substr(0, 8), "bplist00");

  auto back = std::dynamic_pointer_cast<Node>(KeyedUnarchiver::unarchiveObjectWithFile(path));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->name, "root");
  EXPECT_EQ(back->count, int64_t{1} << 40);
  EXPECT_EQ(back->ratio, 0.75);
  EXPECT_TRUE(back->flag);
  EXPECT_EQ(back->bytes, (PlistData{0, 1, 2, 255}));
  EXPECT_EQ(back->sequence, (std::vector<float>{1.5f, -2.25f, 0.1f}));
  ASSERT_TRUE(back->left);
  EXPECT_EQ(back->left, back->right);  // identity survives
  EXPECT_EQ(back->left->name, "leaf ü");
  EXPECT_EQ(back->left->count, -5);
  EXPECT_FALSE(back->left->left);

  EXPECT_FALSE(KeyedArchiver::archiveRootObject(nullptr, tmp.file("nil.archive")));
  EXPECT_FALSE(KeyedArchiver::archiveRootObject(sampleGraph(), tmp.file("no/such/folder/x")));
}

TEST(KeyedArchiver, PythonPlistlibReadsTheArchive) {
  testsupport::TempDir tmp;
  std::string path = tmp.file("graph.archive");
  ASSERT_TRUE(KeyedArchiver::archiveRootObject(sampleGraph(), path));
  const char* script = R"PY(
import plistlib, sys
a = plistlib.load(open(sys.argv[1], 'rb'))
assert a['$archiver'] == 'NSKeyedArchiver' and a['$version'] == 100000, a
o = a['$objects']
assert o[0] == '$null'
root = o[a['$top']['root'].data]
assert isinstance(a['$top']['root'], plistlib.UID)
cls = o[root['$class'].data]
assert cls['$classname'] == 'XTestNode' and cls['$classes'] == ['XTestNode', 'NSObject'], cls
assert o[root['Name'].data] == 'root'
assert root['Number'] == 1 << 40 and root['Ratio'] == 0.75 and root['Flag'] is True
assert root['Bytes'] == bytes([0, 1, 2, 255])
assert [round(root['$%d' % i], 5) for i in range(3)] == [1.5, -2.25, 0.1]
leaf = o[root['Left'].data]
assert leaf['Number'] == -5 and o[leaf['Name'].data] == 'leaf \u00fc'
assert leaf['Left'].data == 0
print('ok')
)PY";
  auto r = testsupport::run("/usr/bin/python3", {"-c", script, path});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "ok\n");
}

TEST(KeyedUnarchiver, RejectsMalformedArchivesWithNull) {
  PlistValue good = KeyedArchiver::archivedPlistWithRootObject(sampleGraph());
  ASSERT_TRUE(KeyedUnarchiver::unarchiveObjectWithPlist(good));

  auto mutated = [&](auto change) {
    PlistValue copy = good;
    change(copy.dictionary());
    return KeyedUnarchiver::unarchiveObjectWithPlist(copy);
  };
  EXPECT_FALSE(mutated([](PlistDictionary& d) { d.set("$archiver", "NSArchiver"); }));
  EXPECT_FALSE(mutated([](PlistDictionary& d) { d.set("$version", 99); }));
  EXPECT_FALSE(mutated([](PlistDictionary& d) { d.erase("$top"); }));
  EXPECT_FALSE(mutated([](PlistDictionary& d) { d.set("$top", PlistDictionary()); }));
  EXPECT_FALSE(mutated([](PlistDictionary& d) { d.find("$top")->dictionary().set("root", PlistUid{999}); }));
  EXPECT_FALSE(mutated([](PlistDictionary& d) { d.find("$top")->dictionary().set("root", PlistUid{0}); }));
  EXPECT_FALSE(mutated([](PlistDictionary& d) { d.set("$objects", "not an array"); }));
  // Unknown class name.
  EXPECT_FALSE(mutated([](PlistDictionary& d) {
    for (auto& o : d.find("$objects")->array())
      if (o.isDictionary() && o.dictionary().contains("$classname")) {
        o.dictionary().set("$classname", "NoSuchClass");
        o.dictionary().set("$classes", PlistArray{"NoSuchClass"});
      }
  }));
  // A class reference that points out of range or at a non-dictionary.
  EXPECT_FALSE(mutated([](PlistDictionary& d) {
    PlistArray& o = d.find("$objects")->array();
    PlistUid root = d.find("$top")->dictionary().find("root")->uid();
    o[root.value].dictionary().set("$class", PlistUid{12345});
  }));
  // A child that refers back to the root (a cycle) decodes as a missing child, not a hang.
  auto cyclic = mutated([](PlistDictionary& d) {
    PlistArray& o = d.find("$objects")->array();
    PlistUid root = d.find("$top")->dictionary().find("root")->uid();
    o[root.value].dictionary().set("Left", root);
  });
  ASSERT_TRUE(cyclic);
  EXPECT_FALSE(std::dynamic_pointer_cast<Node>(cyclic)->left);

  EXPECT_FALSE(KeyedUnarchiver::unarchiveObjectWithData(""));
  EXPECT_FALSE(KeyedUnarchiver::unarchiveObjectWithData("bplist00 garbage"));
  std::string bytes = KeyedArchiver::archivedDataWithRootObject(sampleGraph());
  for (size_t cut = 0; cut < bytes.size(); cut += 7)
    EXPECT_FALSE(KeyedUnarchiver::unarchiveObjectWithData(bytes.substr(0, cut))) << cut;
  EXPECT_FALSE(KeyedUnarchiver::unarchiveObjectWithFile("/nonexistent/file"));
}

TEST(Coder, NonKeyedCoderRefusesKeyedCalls) {
  SequentialArchiver coder;
  EXPECT_FALSE(coder.allowsKeyedCoding());
  coder.encodeFloat(0.5f);
  coder.encodeInt(int64_t{3});
  EXPECT_EQ(coder.values(), (PlistArray{0.5, int64_t{3}}));
  EXPECT_THROW(coder.encodeInt(1, "XGradientElementCount"), InvalidArchiveOperationException);
  EXPECT_THROW(coder.decodeFloat(), InvalidArchiveOperationException);
  EXPECT_THROW(sampleGraph()->encodeWithCoder(coder), InvalidArchiveOperationException);
}
