#include "platform/win32/win32_recycle_bin.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <windows.h>

#include <atomic>

namespace kelvo::platform {
namespace {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (p_) p_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T** Out() { return &p_; }
  T* operator->() const { return p_; }
  T* get() const { return p_; }

 private:
  T* p_ = nullptr;
};

// Answers "may this item go?" with no unless the shell is about to recycle it. COM interfaces
// have no virtual destructor by design: objects end through Release, never through delete.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class RecycleOnly final : public IFileOperationProgressSink {
 public:
  bool refused() const { return refused_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_IFileOperationProgressSink) {
      *out = static_cast<IFileOperationProgressSink*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // Lives on the caller's stack for the whole operation; the count only keeps COM's books.
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }

  HRESULT STDMETHODCALLTYPE PreDeleteItem(DWORD flags, IShellItem*) override {
    if (flags & TSF_DELETE_RECYCLE_IF_POSSIBLE) return S_OK;
    refused_ = true;
    return E_ABORT;
  }
  HRESULT STDMETHODCALLTYPE StartOperations() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE FinishOperations(HRESULT) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PreRenameItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PostRenameItem(DWORD, IShellItem*, LPCWSTR, HRESULT,
                                           IShellItem*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE PreMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE PostMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT,
                                         IShellItem*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE PreCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override {
    return E_ABORT;  // never a copy
  }
  HRESULT STDMETHODCALLTYPE PostCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT,
                                         IShellItem*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE PostDeleteItem(DWORD, IShellItem*, HRESULT, IShellItem*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE PreNewItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PostNewItem(DWORD, IShellItem*, LPCWSTR, LPCWSTR, DWORD, HRESULT,
                                        IShellItem*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE UpdateProgress(UINT, UINT) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ResetTimer() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PauseTimer() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ResumeTimer() override { return S_OK; }

 private:
  std::atomic<ULONG> refs_{1};
  bool refused_ = false;
};
#pragma GCC diagnostic pop

RemovalReport Failed(RemovalStatus status, HRESULT hr) {
  RemovalReport r;
  r.status = status;
  r.error = std::error_code(static_cast<int>(hr), std::system_category());
  return r;
}

// COM for this thread, as long as the call needs it.
class ComScope {
 public:
  ComScope() : hr_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
  ~ComScope() {
    if (SUCCEEDED(hr_)) ::CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  // A thread already in another apartment can still use the shell.
  bool usable() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }
  HRESULT result() const { return hr_; }

 private:
  HRESULT hr_;
};

}  // namespace

RemovalReport MoveToRecycleBin(const std::wstring& path) {
  ComScope com;
  if (!com.usable()) return Failed(RemovalStatus::kNoTrash, com.result());
  ComPtr<IFileOperation> operation;
  HRESULT hr = ::CoCreateInstance(CLSID_FileOperation, nullptr, CLSCTX_ALL, IID_IFileOperation,
                                  reinterpret_cast<void**>(operation.Out()));
  if (FAILED(hr)) return Failed(RemovalStatus::kNoTrash, hr);
  hr = operation->SetOperationFlags(FOF_ALLOWUNDO | FOF_NO_UI | FOFX_EARLYFAILURE |
                                    FOFX_RECYCLEONDELETE);
  if (FAILED(hr)) return Failed(RemovalStatus::kNoTrash, hr);
  ComPtr<IShellItem> item;
  hr = ::SHCreateItemFromParsingName(path.c_str(), nullptr, IID_IShellItem,
                                     reinterpret_cast<void**>(item.Out()));
  if (FAILED(hr)) return Failed(RemovalStatus::kFailed, hr);
  RecycleOnly sink;
  hr = operation->DeleteItem(item.get(), &sink);
  if (FAILED(hr)) return Failed(RemovalStatus::kNoTrash, hr);
  hr = operation->PerformOperations();
  BOOL aborted = FALSE;
  if (SUCCEEDED(hr) && SUCCEEDED(operation->GetAnyOperationsAborted(&aborted)) && !aborted &&
      !sink.refused()) {
    RemovalReport done;
    done.status = RemovalStatus::kRemoved;
    done.trash = L"Recycle Bin";
    return done;
  }
  return Failed(
      sink.refused() || hr == E_NOTIMPL ? RemovalStatus::kNoTrash : RemovalStatus::kFailed,
      FAILED(hr) ? hr : E_ABORT);
}

}  // namespace kelvo::platform
