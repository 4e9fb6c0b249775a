// The "tweaks:" scheme handler: how a URL becomes an entry path (on every build), and on Windows
// the handler object itself, once driven call by call through a recording sink and once by the
// real urlmon, fetching pages from an archive packed for the test.
#include "protocol/MyLVHandler.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string Prefix = "tweaks://";

}

TEST(EntryPathFromUrl, DropsTheSchemeAndTurnsEverySlashIntoABackslash)
{
    EXPECT_EQ(EntryPathFromUrl("tweaks://tweaks/start.html"), "tweaks\\start.html");
    EXPECT_EQ(EntryPathFromUrl("tweaks://tweaks/img/icons/a.gif"), "tweaks\\img\\icons\\a.gif");
    EXPECT_EQ(EntryPathFromUrl("tweaks://start.html"), "start.html");
    EXPECT_EQ(EntryPathFromUrl("tweaks:///tweaks//x/"), "\\tweaks\\\\x\\");
    EXPECT_EQ(EntryPathFromUrl("tweaks://tweaks\\Start.HTML"), "tweaks\\Start.HTML");
}

TEST(EntryPathFromUrl, QueriesFragmentsAndEscapesStayInThePath)
{
    EXPECT_EQ(EntryPathFromUrl("tweaks://tweaks/page.html?x=1"), "tweaks\\page.html?x=1");
    EXPECT_EQ(EntryPathFromUrl("tweaks://tweaks/page.html?a=b/c#top"), "tweaks\\page.html?a=b\\c#top");
    EXPECT_EQ(EntryPathFromUrl("tweaks://tweaks/my%20page.html"), "tweaks\\my%20page.html");
}

TEST(EntryPathFromUrl, TheFirstNineCharactersAreDroppedWithoutBeingLookedAt)
{
    EXPECT_EQ(EntryPathFromUrl("TWEAKS://tweaks/start.html"), "tweaks\\start.html");
    EXPECT_EQ(EntryPathFromUrl("http://x/start.html"), "start.html");
    EXPECT_EQ(EntryPathFromUrl("tweaks:start.html"), "art.html");
    EXPECT_EQ(EntryPathFromUrl("tweaks:/a/b.html"), "\\b.html");
}

TEST(EntryPathFromUrl, AUrlOfUpToNineCharactersGivesTheEmptyPath)
{
    EXPECT_EQ(EntryPathFromUrl(""), "");
    EXPECT_EQ(EntryPathFromUrl("tweaks:"), "");
    EXPECT_EQ(EntryPathFromUrl("tweaks://"), "");
    EXPECT_EQ(EntryPathFromUrl("123456789"), "");
    EXPECT_EQ(EntryPathFromUrl("tweaks://x"), "x");
}

TEST(EntryPathFromUrl, ThePathIsCutAt9999Characters)
{
    EXPECT_EQ(EntryPathFromUrl(Prefix + std::string(9999, 'a')), std::string(9999, 'a'));
    EXPECT_EQ(EntryPathFromUrl(Prefix + std::string(9999, 'a') + "bc"), std::string(9999, 'a'));
    EXPECT_EQ(EntryPathFromUrl(Prefix + std::string(10000, '/')), std::string(9999, '\\'));
}

#ifdef _WIN32
#include "support/ArchiveBytes.h"
#include "support/ProtocolDoubles.h"
#include "support/UrlFetch.h"

#include "ArchiveWriter.h"

#include "UniqueKernelHandle.h"
#include "store/FileManager.h"

#include <windows.h>
#include <urlmon.h>
#include <wrl/client.h>

#include <filesystem>
#include <ostream>
#include <vector>

using Microsoft::WRL::ComPtr;
namespace fs = std::filesystem;

namespace {

std::string TenThousandBytes()
{
    std::string bytes(10000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 31 % 251);
    return bytes;
}

const std::string StartPageText = "<html><head><script src=\"start.js\"></script></head><body>Start</body></html>";
const std::string LogoGif("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00,", 20);
const std::string QueryPage = "<html>the page named with its query</html>";
const std::string FragmentPage = "<html>the page named with its fragment</html>";

// The pages every test serves, in a temporary folder of their own: the loose files, and the
// archive the project's writer packs from them. Two entries carry names no Windows folder can
// hold, so they are added to the packed tree by hand.
class TPages {
public:
    TPages()
    {
        Dir.Write("pages/tweaks/start.html", StartPageText);
        Dir.Write("pages/tweaks/img/icons/logo.gif", LogoGif);
        Dir.Write("pages/tweaks/big.js", MegabyteScript());
        Dir.Write("pages/tweaks/ten.bin", TenThousandBytes());
        Dir.Write("pages/tweaks/empty.css", "");
        TPackTree tree = ScanFolder(Dir.Path() / "pages");
        tree.Entries.push_back({"tweaks", "page.html?x=1", Dir.Write("query.html", QueryPage)});
        tree.Entries.push_back({"tweaks", "page.html#top", Dir.Write("fragment.html", FragmentPage)});
        WriteArchive(tree, Archive(), {});
    }

    fs::path Archive() const { return Dir.Path() / "Ruroda.db"; }
    // The program folder for folder mode, in which "/data=pages" selects the loose files.
    std::string ProgramFolder() const { return Dir.Path().string() + "\\"; }

    TTempDir Dir;
};

ComPtr<IInternetProtocol> NewHandler()
{
    const ComPtr<IClassFactory> factory(new TMyLVHandlerFactory);
    ComPtr<IInternetProtocol> handler;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(handler.GetAddressOf())), S_OK);
    return handler;
}

// OLE on the test's thread from before anything of the test is made until after all is gone.
class TOleThread {
public:
    TOleThread() : FResult(::OleInitialize(nullptr)) { EXPECT_TRUE(SUCCEEDED(FResult)); }
    ~TOleThread()
    {
        if (SUCCEEDED(FResult))
            ::OleUninitialize();
    }
    TOleThread(const TOleThread&) = delete;
    TOleThread& operator=(const TOleThread&) = delete;

private:
    HRESULT FResult;
};

// Every test has OLE, the pages, and FileManager over their archive; FileManager is gone again
// when the test ends.
class HandlerTest : public ::testing::Test {
protected:
    void SetUp() override { ServeArchive(Pages.Archive()); }
    void TearDown() override { FileManager.reset(); }

    void ServeArchive(const fs::path& archive)
    {
        FileManager = std::make_unique<TFileManager>(archive.string(), Pages.ProgramFolder(), std::vector<std::string>{});
    }
    void ServeFolder()
    {
        FileManager = std::make_unique<TFileManager>("unused.db", Pages.ProgramFolder(), std::vector<std::string>{"/data=pages"});
    }
    // An archive file of the test's own with these bytes; the one served before is let go first,
    // since the content manager holds its archive open against writers.
    void ServeArchiveBytes(const std::string& name, const std::string& bytes)
    {
        FileManager.reset();
        ServeArchive(Pages.Dir.Write(name, bytes));
    }

    TOleThread Ole;
    TPages Pages;
};

// The last block of the example archive (its tweaks\start.html) replaced or cut short.
std::string ExampleWithUndecodableEntry()
{
    return ExampleArchive().substr(0, 89) + Block("not a DEFLATE stream", 1);
}

std::string ExampleWithTruncatedEntry()
{
    const std::string whole = ExampleArchive();
    return whole.substr(0, whole.size() - 5);
}

struct TReadStep {
    HRESULT Result;
    ULONG Count;
    bool operator==(const TReadStep&) const = default;
};

void PrintTo(const TReadStep& step, std::ostream* out)
{
    *out << "{" << Hex(step.Result) << ", " << step.Count << "}";
}

// Reads in pieces of pieceSize until the handler answers anything but S_OK.
std::vector<TReadStep> ReadInPieces(IInternetProtocol* handler, ULONG pieceSize, std::string& content)
{
    std::vector<TReadStep> steps;
    std::vector<char> piece(pieceSize);
    for (HRESULT result = S_OK; result == S_OK && steps.size() < 10000;) {
        ULONG count = 0;
        result = handler->Read(piece.data(), pieceSize, &count);
        content.append(piece.data(), count);
        steps.push_back({result, count});
    }
    return steps;
}

TReadStep ReadOnce(IInternetProtocol* handler, ULONG pieceSize = 4096)
{
    std::vector<char> piece(pieceSize);
    ULONG count = 12345;
    const HRESULT result = handler->Read(piece.data(), pieceSize, &count);
    return {result, count};
}

const std::string ResultOk = "ReportResult(0x00000000)";
const std::string ResultNotFound = "ReportResult(0x800C0005)";
const std::string ResultNotAvailable = "ReportResult(0x800C0007)";

class HandlerWithRecordingSink : public HandlerTest {
protected:
    HRESULT Start(const wchar_t* url) { return Handler->Start(url, Sink.Get(), nullptr, 0, 0); }

    ComPtr<IInternetProtocol> Handler = NewHandler();
    ComPtr<TRecordingSink> Sink{new TRecordingSink};
};

}

TEST_F(HandlerWithRecordingSink, StartReportsAllDataAtOnceThenSuccessBeforeItReturns)
{
    EXPECT_EQ(Start(L"tweaks://tweaks/ten.bin"), S_OK);
    EXPECT_EQ(Sink->Calls, (std::vector<std::string>{"ReportData(13, 10000, 10000)", ResultOk}));
}

TEST_F(HandlerWithRecordingSink, ReadAnswersSOkWhileBytesRemainAndSFalseWithTheLast)
{
    ASSERT_EQ(Start(L"tweaks://tweaks/ten.bin"), S_OK);
    std::string content;
    EXPECT_EQ(ReadInPieces(Handler.Get(), 4096, content),
              (std::vector<TReadStep>{{S_OK, 4096}, {S_OK, 4096}, {S_FALSE, 1808}}));
    EXPECT_EQ(content, TenThousandBytes());
    EXPECT_EQ(ReadOnce(Handler.Get()), (TReadStep{S_FALSE, 0}));
    EXPECT_EQ(ReadOnce(Handler.Get()), (TReadStep{S_FALSE, 0}));
}

TEST_F(HandlerWithRecordingSink, ABufferOfExactlyTheContentSizeEndsOnTheFirstRead)
{
    ASSERT_EQ(Start(L"tweaks://tweaks/ten.bin"), S_OK);
    std::string content;
    EXPECT_EQ(ReadInPieces(Handler.Get(), 10000, content), (std::vector<TReadStep>{{S_FALSE, 10000}}));
    EXPECT_EQ(content, TenThousandBytes());
}

TEST_F(HandlerWithRecordingSink, AMissingEntryIsAnEmptyResponseWithSuccess)
{
    EXPECT_EQ(Start(L"tweaks://tweaks/missing.html"), S_OK);
    EXPECT_EQ(Sink->Calls, (std::vector<std::string>{"ReportData(13, 0, 0)", ResultOk}));
    EXPECT_EQ(ReadOnce(Handler.Get()), (TReadStep{S_FALSE, 0}));
    EXPECT_EQ(ReadOnce(Handler.Get()), (TReadStep{S_FALSE, 0}));
}

TEST_F(HandlerWithRecordingSink, AnEmptyEntryAndAShortUrlAreEmptyResponsesWithSuccess)
{
    EXPECT_EQ(Start(L"tweaks://tweaks/EMPTY.css"), S_OK);
    const ComPtr<IInternetProtocol> second = NewHandler();
    EXPECT_EQ(second->Start(L"tweaks:", Sink.Get(), nullptr, 0, 0), S_OK);
    EXPECT_EQ(Sink->Calls, (std::vector<std::string>{"ReportData(13, 0, 0)", ResultOk, "ReportData(13, 0, 0)", ResultOk}));
    EXPECT_EQ(ReadOnce(Handler.Get()), (TReadStep{S_FALSE, 0}));
    EXPECT_EQ(ReadOnce(second.Get()), (TReadStep{S_FALSE, 0}));
}

TEST_F(HandlerWithRecordingSink, TerminateReleasesTheSinkAndTheContent)
{
    ASSERT_EQ(Sink->References(), 1u);
    ASSERT_EQ(Start(L"tweaks://tweaks/ten.bin"), S_OK);
    EXPECT_EQ(Sink->References(), 2u);
    EXPECT_EQ(ReadOnce(Handler.Get()), (TReadStep{S_OK, 4096}));
    EXPECT_EQ(Handler->Terminate(0), S_OK);
    EXPECT_EQ(Sink->References(), 1u);
    EXPECT_EQ(ReadOnce(Handler.Get()), (TReadStep{S_FALSE, 0}));
    EXPECT_EQ(Handler->Terminate(0), S_OK);
    EXPECT_EQ(Sink->Calls, (std::vector<std::string>{"ReportData(13, 10000, 10000)", ResultOk}));
}

TEST_F(HandlerWithRecordingSink, ReadingAndTerminatingInsideReportDataStillReportsTheResult)
{
    std::string content;
    std::vector<TReadStep> steps;
    Sink->DuringReportData = [&] {
        steps = ReadInPieces(Handler.Get(), 2048, content);
        Handler->Terminate(0);
    };
    EXPECT_EQ(Start(L"tweaks://tweaks/big.js"), S_OK);
    EXPECT_EQ(Sink->Calls, (std::vector<std::string>{"ReportData(13, 1048576, 1048576)", ResultOk}));
    EXPECT_EQ(content, MegabyteScript());
    ASSERT_EQ(steps.size(), 512u);
    EXPECT_EQ(steps.back(), (TReadStep{S_FALSE, 2048}));
    EXPECT_EQ(Sink->References(), 1u);
}

TEST_F(HandlerWithRecordingSink, AFileThatCannotBeOpenedInFolderModeReportsResourceNotFound)
{
    ServeFolder();
    EXPECT_EQ(Start(L"tweaks://tweaks/missing.html"), S_OK);
    EXPECT_EQ(Sink->Calls, std::vector<std::string>{ResultNotFound});
    EXPECT_EQ(ReadOnce(Handler.Get()), (TReadStep{S_FALSE, 0}));
    EXPECT_EQ(Handler->Terminate(0), S_OK);
    EXPECT_EQ(Sink->References(), 1u);
}

TEST_F(HandlerWithRecordingSink, FolderModeServesTheLooseFiles)
{
    ServeFolder();
    EXPECT_EQ(Start(L"tweaks://tweaks/ten.bin"), S_OK);
    std::string content;
    ReadInPieces(Handler.Get(), 4096, content);
    EXPECT_EQ(Sink->Calls, (std::vector<std::string>{"ReportData(13, 10000, 10000)", ResultOk}));
    EXPECT_EQ(content, TenThousandBytes());
}

TEST_F(HandlerWithRecordingSink, ADamagedEntryReportsDataNotAvailable)
{
    TMemoryStream ignored;
    ServeArchiveBytes("undecodable.db", ExampleWithUndecodableEntry());
    EXPECT_THROW(FileManager->GetContent("tweaks\\start.html", ignored), EDecompressionError);
    EXPECT_EQ(Start(L"tweaks://tweaks/start.html"), S_OK);
    EXPECT_EQ(ReadOnce(Handler.Get()), (TReadStep{S_FALSE, 0}));

    ServeArchiveBytes("truncated.db", ExampleWithTruncatedEntry());
    EXPECT_THROW(FileManager->GetContent("tweaks\\start.html", ignored), EReadError);
    const ComPtr<IInternetProtocol> second = NewHandler();
    EXPECT_EQ(second->Start(L"tweaks://tweaks/start.html", Sink.Get(), nullptr, 0, 0), S_OK);
    EXPECT_EQ(ReadOnce(second.Get()), (TReadStep{S_FALSE, 0}));
    EXPECT_EQ(Sink->Calls, (std::vector<std::string>{ResultNotAvailable, ResultNotAvailable}));
}

TEST_F(HandlerWithRecordingSink, WithoutAContentManagerTheRequestReportsDataNotAvailable)
{
    FileManager.reset();
    EXPECT_EQ(Start(L"tweaks://tweaks/start.html"), S_OK);
    EXPECT_EQ(Sink->Calls, std::vector<std::string>{ResultNotAvailable});
}

TEST_F(HandlerWithRecordingSink, TheFirstRequestServedSetsTheEventNamedInTheEnvironmentOnce)
{
    const std::string name = "LumivantaHandlerTest-" + std::to_string(::GetCurrentProcessId());
    const UniqueKernelHandle event(::CreateEventA(nullptr, FALSE, FALSE, name.c_str()));
    ::SetEnvironmentVariableA("LUMIVANTA_FIRST_REQUEST_EVENT", name.c_str());
    auto fileManager = std::move(FileManager);
    EXPECT_EQ(Start(L"tweaks://tweaks/ten.bin"), S_OK);
    EXPECT_EQ(::WaitForSingleObject(event.Get(), 0), WAIT_TIMEOUT) << "a failed request is not served";
    FileManager = std::move(fileManager);
    for (int request = 0; request < 2; ++request)
        EXPECT_EQ(NewHandler()->Start(L"tweaks://tweaks/ten.bin", Sink.Get(), nullptr, 0, 0), S_OK);
    ::SetEnvironmentVariableA("LUMIVANTA_FIRST_REQUEST_EVENT", nullptr);
    EXPECT_EQ(::WaitForSingleObject(event.Get(), 0), WAIT_OBJECT_0);
    EXPECT_EQ(::WaitForSingleObject(event.Get(), 0), WAIT_TIMEOUT) << "set by the first request only";
}

TEST_F(HandlerWithRecordingSink, StartWithoutAUrlOrASinkIsRefused)
{
    EXPECT_EQ(Handler->Start(nullptr, Sink.Get(), nullptr, 0, 0), E_INVALIDARG);
    EXPECT_EQ(Handler->Start(L"tweaks://tweaks/start.html", nullptr, nullptr, 0, 0), E_INVALIDARG);
    EXPECT_EQ(Sink->Calls, std::vector<std::string>{});
    EXPECT_EQ(ReadOnce(Handler.Get()), (TReadStep{S_FALSE, 0}));
}

TEST_F(HandlerWithRecordingSink, TheOtherMethodsGiveTheirFixedResultsAndReportNothing)
{
    ASSERT_EQ(Start(L"tweaks://tweaks/ten.bin"), S_OK);
    Sink->Calls.clear();
    PROTOCOLDATA data{};
    EXPECT_EQ(Handler->Continue(&data), S_OK);
    EXPECT_EQ(Handler->Abort(E_ABORT, 0), E_NOTIMPL);
    EXPECT_EQ(Handler->Suspend(), E_NOTIMPL);
    EXPECT_EQ(Handler->Resume(), E_NOTIMPL);
    ULARGE_INTEGER position{};
    EXPECT_EQ(Handler->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, &position), E_NOTIMPL);
    EXPECT_EQ(Handler->LockRequest(0), S_OK);
    EXPECT_EQ(Handler->UnlockRequest(), S_OK);
    EXPECT_EQ(Sink->Calls, std::vector<std::string>{});
    std::string content;
    ReadInPieces(Handler.Get(), 4096, content);
    EXPECT_EQ(content, TenThousandBytes());
}

namespace {

class HandlerFactory : public ::testing::Test {
protected:
    ComPtr<IClassFactory> Factory{new TMyLVHandlerFactory};
};

template <typename Interface>
ComPtr<Interface> Query(IUnknown* object, HRESULT expected = S_OK)
{
    ComPtr<Interface> answer;
    EXPECT_EQ(object->QueryInterface(IID_PPV_ARGS(answer.GetAddressOf())), expected);
    return answer;
}

}

TEST_F(HandlerFactory, EveryCreateInstanceMakesANewHandlerAndTheLiveCountFollowsThem)
{
    const long before = ActiveHandlerCount();
    ComPtr<IInternetProtocol> first;
    ComPtr<IInternetProtocolRoot> second;
    ASSERT_EQ(Factory->CreateInstance(nullptr, IID_PPV_ARGS(first.GetAddressOf())), S_OK);
    ASSERT_EQ(Factory->CreateInstance(nullptr, IID_PPV_ARGS(second.GetAddressOf())), S_OK);
    EXPECT_NE(Query<IUnknown>(first.Get()).Get(), Query<IUnknown>(second.Get()).Get());
    EXPECT_EQ(ActiveHandlerCount(), before + 2);
    first.Reset();
    EXPECT_EQ(ActiveHandlerCount(), before + 1);
    second.Reset();
    EXPECT_EQ(ActiveHandlerCount(), before);
}

TEST_F(HandlerFactory, CreateInstanceRefusesWhatItCannotMake)
{
    const long before = ActiveHandlerCount();
    IUnknown* object = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(Factory->CreateInstance(nullptr, IID_IInternetProtocolInfo, reinterpret_cast<void**>(&object)),
              E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(Factory->CreateInstance(nullptr, IID_IInternetProtocol, nullptr), E_POINTER);
    EXPECT_EQ(ActiveHandlerCount(), before);
}

TEST_F(HandlerFactory, TheHandlerAnswersItsProtocolInterfacesAndErrorInfoWithOneIdentity)
{
    const ComPtr<IInternetProtocol> handler = NewHandler();
    const ComPtr<IUnknown> identity = Query<IUnknown>(handler.Get());
    EXPECT_EQ(Query<IUnknown>(Query<IInternetProtocolRoot>(handler.Get()).Get()).Get(), identity.Get());
    EXPECT_EQ(Query<IUnknown>(Query<IInternetProtocol>(identity.Get()).Get()).Get(), identity.Get());
    const ComPtr<ISupportErrorInfo> errorInfo = Query<ISupportErrorInfo>(handler.Get());
    ASSERT_TRUE(errorInfo);
    EXPECT_EQ(Query<IUnknown>(errorInfo.Get()).Get(), identity.Get());
    EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(IID_IInternetProtocol), S_FALSE);
    EXPECT_FALSE(Query<IInternetProtocolInfo>(handler.Get(), E_NOINTERFACE));
    EXPECT_FALSE(Query<IClassFactory>(handler.Get(), E_NOINTERFACE));
}

TEST_F(HandlerFactory, AnOuterObjectControlsTheHandlerItAggregates)
{
    const long before = ActiveHandlerCount();
    const ComPtr<TOuterObject> outer(new TOuterObject);
    ASSERT_EQ(Factory->CreateInstance(outer.Get(), IID_IUnknown, reinterpret_cast<void**>(outer->Inner.GetAddressOf())),
              S_OK);
    EXPECT_EQ(ActiveHandlerCount(), before + 1);
    EXPECT_EQ(outer->References(), 1u) << "the inner object holds no reference on its outer one";

    ComPtr<IInternetProtocol> handler = Query<IInternetProtocol>(outer.Get());
    ASSERT_TRUE(handler);
    EXPECT_EQ(outer->References(), 2u) << "the handler's interfaces count on the outer object";
    EXPECT_EQ(Query<IUnknown>(handler.Get()).Get(), static_cast<IUnknown*>(outer.Get()));
    EXPECT_TRUE(Query<ISupportErrorInfo>(handler.Get()));
    handler.Reset();
    EXPECT_EQ(outer->References(), 1u);

    EXPECT_EQ(Query<IUnknown>(outer->Inner.Get()).Get(), outer->Inner.Get()) << "the inner IUnknown never delegates";
    EXPECT_NE(outer->Inner.Get(), static_cast<IUnknown*>(outer.Get()));
    outer->Inner.Reset();
    EXPECT_EQ(ActiveHandlerCount(), before);
}

TEST_F(HandlerFactory, AnOuterObjectIsRefusedForAnyInterfaceButIUnknown)
{
    const long before = ActiveHandlerCount();
    const ComPtr<TOuterObject> outer(new TOuterObject);
    for (const IID& iid : {IID_IInternetProtocol, IID_IInternetProtocolRoot, IID_IClassFactory}) {
        IUnknown* object = reinterpret_cast<IUnknown*>(1);
        EXPECT_EQ(Factory->CreateInstance(outer.Get(), iid, reinterpret_cast<void**>(&object)), CLASS_E_NOAGGREGATION);
        EXPECT_EQ(object, nullptr);
    }
    EXPECT_EQ(ActiveHandlerCount(), before);
    EXPECT_EQ(outer->References(), 1u);
}

TEST_F(HandlerFactory, LockServerIsCountedAndNeverUndoneMoreOftenThanDone)
{
    const long before = ServerLockCount();
    EXPECT_EQ(Factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(Factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(ServerLockCount(), before + 2);
    EXPECT_EQ(Factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(Factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(ServerLockCount(), before);
    if (before == 0) {
        EXPECT_EQ(Factory->LockServer(FALSE), E_UNEXPECTED);
        EXPECT_EQ(ServerLockCount(), 0);
    }
    EXPECT_TRUE(Query<IClassFactory>(Factory.Get()));
    EXPECT_FALSE(Query<IInternetProtocol>(Factory.Get(), E_NOINTERFACE));
}

TEST(SchemeName, IsTweaksUntilTheProgramClearsIt)
{
    EXPECT_EQ(SchemeName, L"tweaks");
    ClearSchemeName();
    EXPECT_EQ(SchemeName, L"");
    SchemeName = DefaultSchemeName;
}

namespace {

// Registers a class factory for the scheme with the process's internet session, as the main
// window does, and withdraws it again.
class TSchemeRegistration {
public:
    explicit TSchemeRegistration(IClassFactory* factory) : FFactory(factory)
    {
        EXPECT_EQ(::CoInternetGetSession(0, FSession.GetAddressOf(), 0), S_OK);
        if (FSession) {
            EXPECT_EQ(FSession->RegisterNameSpace(factory, CLSID_MyLVHandler, SchemeName.c_str(), 0, nullptr, 0), S_OK);
        }
    }
    ~TSchemeRegistration()
    {
        if (FSession) {
            EXPECT_EQ(FSession->UnregisterNameSpace(FFactory.Get(), SchemeName.c_str()), S_OK);
        }
    }
    TSchemeRegistration(const TSchemeRegistration&) = delete;
    TSchemeRegistration& operator=(const TSchemeRegistration&) = delete;

private:
    ComPtr<IClassFactory> FFactory;
    ComPtr<IInternetSession> FSession;
};

class SchemeOverUrlmon : public HandlerTest {
protected:
    void ExpectServed(const std::wstring& url, const std::string& content)
    {
        const TFetchResult fetched = FetchUrl(url);
        EXPECT_EQ(Hex(fetched.Result), Hex(S_OK)) << AnsiText(url);
        EXPECT_EQ(fetched.Content.size(), content.size()) << AnsiText(url);
        EXPECT_TRUE(fetched.Content == content) << AnsiText(url);
    }
    void ExpectFailure(const std::wstring& url, HRESULT failure)
    {
        const TFetchResult fetched = FetchUrl(url);
        EXPECT_EQ(Hex(fetched.Result), Hex(failure)) << AnsiText(url);
        EXPECT_EQ(fetched.Content, "") << AnsiText(url);
    }
    static std::string AnsiText(const std::wstring& url) { return std::string(url.begin(), url.end()); }

    ComPtr<TCountingFactory> Factory{new TCountingFactory(new TMyLVHandlerFactory)};
    TSchemeRegistration Registration{Factory.Get()};
};

}

TEST_F(SchemeOverUrlmon, ServesEntriesByteForByte)
{
    ExpectServed(L"tweaks://tweaks/start.html", StartPageText);
    ExpectServed(L"tweaks://tweaks/ten.bin", TenThousandBytes());
    ExpectServed(L"tweaks://tweaks/big.js", MegabyteScript());
}

TEST_F(SchemeOverUrlmon, ServesDeepPathsAndUpperCaseSchemes)
{
    ExpectServed(L"tweaks://tweaks/img/icons/logo.gif", LogoGif);
    ExpectServed(L"tweaks://TWEAKS/Img/ICONS/Logo.GIF", LogoGif);
    ExpectServed(L"TWEAKS://tweaks/start.html", StartPageText);
    ExpectServed(L"Tweaks://tweaks/start.html", StartPageText);
}

TEST_F(SchemeOverUrlmon, AMissingEntryIsAnEmptyResponseWithSuccess)
{
    ExpectServed(L"tweaks://tweaks/missing.html", "");
    ExpectServed(L"tweaks://nowhere/at/all.html", "");
    ExpectServed(L"tweaks://tweaks/empty.css", "");
}

TEST_F(SchemeOverUrlmon, QueryAndFragmentStayInTheEntryPath)
{
    ExpectServed(L"tweaks://tweaks/page.html?x=1", QueryPage);
    ExpectServed(L"tweaks://tweaks/page.html#top", FragmentPage);
    ExpectServed(L"tweaks://tweaks/start.html?x=1", "");
}

TEST_F(SchemeOverUrlmon, EveryFetchMakesANewHandlerThatReadsTheContentAfresh)
{
    ServeFolder();
    const long before = ActiveHandlerCount();
    ExpectServed(L"tweaks://tweaks/start.html", StartPageText);
    EXPECT_EQ(Factory->Made, 1);
    Pages.Dir.Write("pages/tweaks/start.html", "changed");
    ExpectServed(L"tweaks://tweaks/start.html", "changed");
    EXPECT_EQ(Factory->Made, 2);
    EXPECT_EQ(ActiveHandlerCount(), before);
}

TEST_F(SchemeOverUrlmon, AFileMissingInFolderModeFailsWithResourceNotFound)
{
    ServeFolder();
    ExpectFailure(L"tweaks://tweaks/missing.html", INET_E_RESOURCE_NOT_FOUND);
    ExpectServed(L"tweaks://tweaks/ten.bin", TenThousandBytes());
}

TEST_F(SchemeOverUrlmon, ADamagedEntryFailsWithDataNotAvailable)
{
    ServeArchiveBytes("undecodable.db", ExampleWithUndecodableEntry());
    ExpectFailure(L"tweaks://tweaks/start.html", INET_E_DATA_NOT_AVAILABLE);
    // urlmon adds a slash to a URL that ends with its host, so a root entry has an empty host.
    ExpectServed(L"tweaks:///index.htm", std::string(IndexHtm));
}
#endif
