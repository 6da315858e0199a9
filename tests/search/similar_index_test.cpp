// The similar-icons index read back equal to the manifests it was made from.

#include <fstream>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "search/cSimilarIndex.h"

using namespace mTestKit;

TEST(SimilarIndex, ReadsBackWhatItsManifestsHold) {
    cTempDir tmp;
    // Two manifests: the fixtures' own and one with a name that is not UTF-8, an unknown field,
    // a record without a hash and CR LF line ends.
    const std::string first = Fixture("similar/manifest.jsonl"), second = tmp.File("second.jsonl");
    std::ofstream(second, std::ios::binary)
        << "{\"source\":\"\\ufffd.ico\",\"source_bytes\":\"/y5pY28=\",\"kind\":\"cursor\",\"position\":3,"
           "\"id\":\"NAME\",\"frame\":2,\"images\":[{\"sha256\":null}],\"dhash\":\"00ff00ff00ff00ff\",\"new\":{}}\r\n"
        << "{\"source\":\"b.dll\",\"position\":1,\"id\":7,\"images\":[],\"dhash\":null}\r\n"
        << "{\"source\":\"c.dll\",\"position\":2,\"id\":7,\"dhash\":\"8000000000000001\"}";
    std::vector<mSimilar::cGroup> expected;
    std::vector<cSimilarIndex::cEntry> entries;
    std::uint32_t manifest = 0;
    for (const std::string& m : {first, second}) {
        mSimilar::ReadManifest(m, [&](mSimilar::cGroup&& g, std::uint64_t offset) {
            entries.push_back({g.dhash, g.digest, manifest, offset});
            expected.push_back(std::move(g));
        });
        ++manifest;
    }
    ASSERT_EQ(expected.size(), 11u + 2u);
    const mSimilar::cGroup& odd = expected[11];
    EXPECT_EQ(odd.source, "\xff.ico");
    EXPECT_TRUE(odd.cursor && odd.idIsName && odd.id == "NAME" && odd.frame == 2 && odd.position == 3);
    EXPECT_FALSE(odd.digest.has_value());
    EXPECT_TRUE(expected[0].digest.has_value());

    const std::string path = tmp.File("both.pxi");
    ASSERT_EQ(cSimilarIndex::Make({first, second}, path), expected.size());
    cSimilarIndex index;
    index.OpenFile(path);
    ASSERT_EQ(index.Hashes().size(), expected.size());
    ASSERT_EQ(index.Manifests().size(), 2u);
    EXPECT_EQ(index.Manifests()[1].path, second);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(index.Entry(i), entries[i]);
        EXPECT_EQ(index.Resolve(i), expected[i]);
    }
}
