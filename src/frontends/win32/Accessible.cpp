#include "frontends/win32/Accessible.h"

#include <commctrl.h>
#include <oleacc.h>

#include <utility>

#include "app/SpokenWords.h"
#include "frontends/win32/MainWindow.h"
#include "frontends/win32/Utf16.h"

namespace kinpath::win32 {

namespace {

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

HRESULT Say(const std::wstring& text, BSTR* out) {
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

// The system's own object for the control, with the name, description and
// state that Spoken gives; everything else is the system's.
class SpokenObject final : public IAccessible {
public:
    SpokenObject(IAccessible* system, std::shared_ptr<const Spoken> spoken)
        : system_(system), spoken_(std::move(spoken)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
        if (id != IID_IUnknown && id != IID_IDispatch && id != __uuidof(IAccessible)) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (!left) {
            system_->Release();
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        if (!IsSelf(child) || spoken_->name.empty()) return system_->get_accName(child, out);
        return Say(spoken_->name, out);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
        if (!IsSelf(child) || spoken_->description.empty())
            return system_->get_accDescription(child, out);
        return Say(spoken_->description, out);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        const HRESULT result = system_->get_accState(child, out);
        if (SUCCEEDED(result) && IsSelf(child) && spoken_->hidden && out->vt == VT_I4)
            out->lVal |= STATE_SYSTEM_INVISIBLE;
        return result;
    }

    // The rest is the system's.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        return system_->GetTypeInfoCount(count);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** out) override {
        return system_->GetTypeInfo(index, locale, out);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID id, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* out) override {
        return system_->GetIDsOfNames(id, names, count, locale, out);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID id, LCID locale, WORD flags,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                     UINT* wrong) override {
        return system_->Invoke(member, id, locale, flags, parameters, result, exception, wrong);
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
        return system_->get_accParent(out);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* out) override {
        return system_->get_accChildCount(out);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        return system_->get_accChild(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
        return system_->get_accValue(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        return system_->get_accRole(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override {
        return system_->get_accHelp(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* out) override {
        return system_->get_accHelpTopic(file, child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
        return system_->get_accKeyboardShortcut(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
        return system_->get_accFocus(out);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        return system_->get_accSelection(out);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
        return system_->get_accDefaultAction(child, out);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return system_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        return system_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* out) override {
        return system_->accNavigate(direction, start, out);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
        return system_->accHitTest(x, y, out);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return system_->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return system_->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return system_->put_accValue(child, value);
    }

private:
    IAccessible* system_;
    // A reader may keep the object past the window: it keeps what it says.
    std::shared_ptr<const Spoken> spoken_;
    LONG references_ = 1;
};

LRESULT CALLBACK SpeakingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR data) {
    const auto* spoken = reinterpret_cast<const std::shared_ptr<const Spoken>*>(data);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, SpeakingProc, 0);
        delete spoken;
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
    IAccessible* system = nullptr;
    if (message != WM_GETOBJECT || static_cast<LONG>(lParam) != OBJID_CLIENT ||
        FAILED(CreateStdAccessibleObject(hwnd, OBJID_CLIENT, __uuidof(IAccessible),
                                         reinterpret_cast<void**>(&system))))
        return DefSubclassProc(hwnd, message, wParam, lParam);
    auto* object = new SpokenObject(system, *spoken);
    const LRESULT result = LresultFromObject(__uuidof(IAccessible), wParam, object);
    object->Release();  // the reader holds its own reference
    return result;
}

}  // namespace

void Speak(HWND control, std::shared_ptr<const Spoken> spoken) {
    auto* kept = new std::shared_ptr<const Spoken>(std::move(spoken));
    if (!SetWindowSubclass(control, SpeakingProc, 0, reinterpret_cast<DWORD_PTR>(kept)))
        delete kept;
}

// --- What the window says to a reader beside its controls

void MainWindow::DrawProgress(int number, int count) {
    SpokenOf(0).description = Widen(ProgressText(number, count));
    NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, hwnd_, OBJID_CLIENT, CHILDID_SELF);
}

Spoken& MainWindow::SpokenOf(int id) {
    std::shared_ptr<Spoken>& spoken = spoken_[id];
    if (!spoken) Speak(id ? Control(id) : hwnd_, spoken = std::make_shared<Spoken>());
    return *spoken;
}

}  // namespace kinpath::win32
