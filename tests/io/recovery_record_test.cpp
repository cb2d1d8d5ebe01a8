#include "editor/document.h"
#include "io/recovery_record.h"
#include "io/scene_writer.h"
#include "scene/snapshot.h"

#include <gtest/gtest.h>

namespace tessel {

TEST(RecoveryRecordTest, ReadsBackWhatItWroteAndRefusesDamageAndPathsOutOfItsFolder) {
    const RecoveryRecord record{"/home/u/a “b”.glb", "a “b”.glb", 1765170000123,
                                "s-1.glb",           42,          18446744073709551557ull};
    std::string why;
    const std::optional<RecoveryRecord> read = parseRecoveryRecord(recoveryRecordText(record), why);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->document, record.document);
    EXPECT_EQ(read->name, record.name);
    EXPECT_EQ(read->savedAt, record.savedAt);
    EXPECT_EQ(read->file, record.file);
    EXPECT_EQ(read->size, record.size);
    EXPECT_EQ(read->checksum, record.checksum);

    const std::string text = recoveryRecordText(record);
    for (
        const std::string& damaged :
        {text.substr(0, text.size() / 2), std::string("{}"), std::string("\xff\xfe"),
         std::string(
             R"({"version":1,"document":"","name":"x","savedAt":1,"file":"x","size":"1","checksum":"1"})")}) {
        EXPECT_FALSE(parseRecoveryRecord(damaged, why)) << damaged;
    }
    for (const std::string file : {"../a.glb", "/etc/passwd", "", ".."}) {
        RecoveryRecord outside = record;
        outside.file = file;
        EXPECT_FALSE(parseRecoveryRecord(recoveryRecordText(outside), why)) << file;
    }
}

TEST(RecoveryRecordTest, BytesOfAnotherSizeOrContentAreNotTheAutosave) {
    const Bytes bytes{1, 2, 3, 4};
    RecoveryRecord record;
    record.size = bytes.size();
    record.checksum = checksumOf(bytes);
    EXPECT_EQ(recoveredBytesFault(record, bytes), "");
    EXPECT_NE(recoveredBytesFault(record, Bytes{1, 2, 3}), "");
    EXPECT_NE(recoveredBytesFault(record, Bytes{1, 2, 4, 3}), "");
}

TEST(SnapshotTest, WritesTheDocumentAsItStoodWhateverIsEditedAfter) {
    const NodePtr root = Document::startingRoot();
    const std::vector<NodePtr> nodes = root->flat();
    const MeshPtr grid = asMesh(nodes[1]);
    ASSERT_TRUE(grid && grid->model()->params());
    grid->smoothShading = true;
    grid->material->opacity = 0.5f;
    const Bytes before = writeSceneFile(*root, "a.glb").bytes;
    const NodePtr copy = snapshotOf(*root);
    EXPECT_EQ(writeSceneFile(*copy, "a.glb").bytes, before);

    grid->model()->params()->setU(7);
    grid->material->opacity = 1;
    grid->setName("renamed");
    const MeshPtr cube = asMesh(nodes[2]);
    auto moved = std::make_shared<Layer>(*cube->model()->committed());
    moved->positions[0].x += 1;
    cube->model()->setCommitted(moved);
    EXPECT_NE(writeSceneFile(*root, "a.glb").bytes, before);
    EXPECT_EQ(writeSceneFile(*copy, "a.glb").bytes, before);
}

} // namespace tessel
