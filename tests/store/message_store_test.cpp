#include "store/MessageStore.h"

#include "store_fixture.h"

namespace {

using MessageStoreTest = StoreTest;

const CString kNumber = u"+8613800138000";

TEST_F(MessageStoreTest, PathsAndTimeStamps) {
    EXPECT_EQ(RecordKeyPath(Branch::Inbox, kNumber),
              u"Software\\Tolvane\\Brenwick\\Content\\+8613800138000");
    EXPECT_EQ(RecordKeyPath(Branch::Outbox, kNumber),
              u"Software\\Tolvane\\Brenwick\\Contentout\\+8613800138000");
    EXPECT_EQ(TimeStampName({2005, 3, 7, 9, 5, 0}), u"2005-3-7-9:5:0");
    EXPECT_EQ(TimeStampName({2026, 12, 31, 23, 59, 59}), u"2026-12-31-23:59:59");
}

TEST_F(MessageStoreTest, SentCopiesAreStoredInPiecesEveryReaderCanRead) {
    struct Case {
        int length;
        std::vector<std::pair<const char16_t*, int>> pieces;
    };
    const Case cases[] = {
        {0, {{u"2005-3-7-9:5:0", 0}}},
        {126, {{u"2005-3-7-9:5:0", 126}}},
        {127, {{u"2005-3-7-9:5:0-1", 126}, {u"2005-3-7-9:5:0-2", 1}}},
        {252, {{u"2005-3-7-9:5:0-1", 126}, {u"2005-3-7-9:5:0-2", 126}}},
        {253, {{u"2005-3-7-9:5:0-1", 126}, {u"2005-3-7-9:5:0-2", 126}, {u"2005-3-7-9:5:0-3", 1}}},
        {300, {{u"2005-3-7-9:5:0-1", 126}, {u"2005-3-7-9:5:0-2", 126}, {u"2005-3-7-9:5:0-3", 48}}},
        {378, {{u"2005-3-7-9:5:0-1", 126}, {u"2005-3-7-9:5:0-2", 126}, {u"2005-3-7-9:5:0-3", 126}}},
        // Longer texts go on with -4, -5, ...: no piece is too long to be listed.
        {379,
         {{u"2005-3-7-9:5:0-1", 126},
          {u"2005-3-7-9:5:0-2", 126},
          {u"2005-3-7-9:5:0-3", 126},
          {u"2005-3-7-9:5:0-4", 1}}},
        {600,
         {{u"2005-3-7-9:5:0-1", 126},
          {u"2005-3-7-9:5:0-2", 126},
          {u"2005-3-7-9:5:0-3", 126},
          {u"2005-3-7-9:5:0-4", 126},
          {u"2005-3-7-9:5:0-5", 96}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        CRegistryStore::DeleteKey(u"Software\\Tolvane\\Brenwick", u"Contentout");
        std::u16string text;
        for (int i = 0; i < c.length; ++i)
            text += static_cast<char16_t>(u'a' + i % 26);
        StoreSentCopy(kNumber, CString(text));
        Write(RecordKeyPath(Branch::Outbox, kNumber), u"later", u"still listed");

        const auto records = ListRecords(RecordKeyPath(Branch::Outbox, kNumber));
        ASSERT_EQ(records.size(), c.pieces.size() + 1);
        CString joined;
        for (std::size_t i = 0; i < c.pieces.size(); ++i) {
            EXPECT_EQ(records[i].name, c.pieces[i].first);
            EXPECT_EQ(records[i].text.GetLength(), c.pieces[i].second);
            joined += records[i].text;
        }
        EXPECT_EQ(joined, CString(text));
        EXPECT_EQ(records.back().name, u"later");
    }
    EXPECT_TRUE(ValueNames(RecordKeyPath(Branch::Inbox, kNumber)).empty());
}

TEST_F(MessageStoreTest, APieceNeverEndsInsideASurrogatePair) {
    const CString text = CString(std::u16string(125, u'a')) + u"😀b"; // the pair at 125 and 126
    const auto pieces = SplitIntoPieces(u"s", text);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].text, CString(std::u16string(125, u'a')));
    EXPECT_EQ(pieces[1].text, u"😀b");
}

TEST_F(MessageStoreTest, ListingSkipsThePhotoAndStopsAtAnUnreadableRecord) {
    const CString k = RecordKeyPath(Branch::Inbox, kNumber);
    EXPECT_TRUE(ListRecords(k).empty());
    EXPECT_TRUE(KeyExists(k)) << "listing a number without records creates its key";

    Write(k, u"photo", u"\\My Documents\\me.jpg");
    EXPECT_TRUE(ListRecords(k).empty()) << "only the avatar";
    Write(k, u"[*]2005-3-7-9:5:0", u"hello");
    Write(k, u"2005-3-7-9:6:0", CString(std::u16string(128, u'x')));
    Write(k, u"2005-3-7-9:7:0", u"hidden behind the long one");
    EXPECT_EQ(ListRecords(k), (std::vector<CRecord>{{u"[*]2005-3-7-9:5:0", u"hello"}}));

    // Only "photo" itself is the avatar: a name in other letters is a record.
    const CString other = RecordKeyPath(Branch::Outbox, kNumber);
    Write(other, u"Photo", u"a record after all");
    EXPECT_EQ(ListRecords(other), (std::vector<CRecord>{{u"Photo", u"a record after all"}}));
}

TEST_F(MessageStoreTest, MarkReadRenamesAndNeverLosesTheRecord) {
    const CString k = RecordKeyPath(Branch::Inbox, kNumber);
    Write(k, u"[*]2005-3-7-9:5:0", u"hello");
    Write(k, u"[*]2005-3-7-9:6:0", u"second");
    EXPECT_EQ(MarkRead(k, u"[*]2005-3-7-9:5:0", u"hello"), u"2005-3-7-9:5:0");
    EXPECT_EQ(ListRecords(k), (std::vector<CRecord>{{u"[*]2005-3-7-9:6:0", u"second"},
                                                    {u"2005-3-7-9:5:0", u"hello"}}));

    Registry().RefuseWrites(true);
    EXPECT_EQ(MarkRead(k, u"[*]2005-3-7-9:6:0", u"second"), u"[*]2005-3-7-9:6:0");
    Registry().RefuseWrites(false);
    EXPECT_EQ(ListRecords(k).front(), (CRecord{u"[*]2005-3-7-9:6:0", u"second"}))
        << "a failed rename keeps the message under its old name";
}

TEST_F(MessageStoreTest, DeleteRecordAvatarAndKeys) {
    const CString in = RecordKeyPath(Branch::Inbox, kNumber);
    const CString out = RecordKeyPath(Branch::Outbox, kNumber);
    EXPECT_EQ(DeleteRecord(in, u"2005-3-7-9:5:0"), 1) << "no record key yet";
    EXPECT_TRUE(KeyExists(in));
    Write(in, u"2005-3-7-9:5:0", u"x");
    EXPECT_EQ(DeleteRecord(in, u"2005-3-7-9:5:0"), 0);
    EXPECT_EQ(DeleteRecord(in, u"2005-3-7-9:5:0"), 1);

    CString picture = u"none";
    EXPECT_EQ(ReadAvatar(out, picture), 1);
    EXPECT_EQ(picture, u"none");
    EXPECT_EQ(WriteAvatar(out, u"\\My Documents\\me.jpg"), 0);
    EXPECT_EQ(ReadAvatar(out, picture), 0);
    EXPECT_EQ(picture, u"\\My Documents\\me.jpg");
    EXPECT_TRUE(ValueNames(in).empty()) << "the avatar belongs to one branch";

    Write(in, u"2005-3-7-9:5:0", u"x");
    EXPECT_EQ(DeleteInboxKey(kNumber), 0);
    EXPECT_FALSE(KeyExists(in));
    EXPECT_TRUE(KeyExists(out));
    EXPECT_EQ(DeleteInboxKey(kNumber), 1);

    EXPECT_EQ(ClearStore(), std::make_pair(0, 0));
    EXPECT_FALSE(KeyExists(u"Software\\Tolvane\\Brenwick\\Content"));
    EXPECT_FALSE(KeyExists(u"Software\\Tolvane\\Brenwick\\Contentout"));
    EXPECT_EQ(ClearStore(), std::make_pair(1, 1));
}

} // namespace
