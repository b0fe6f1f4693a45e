// The D3DX effect subset: effect pools, effects created from ".fx" source, and the queries the
// engine makes of an effect (parameters, techniques, annotations, integer values).
//
// There is no shader compiler here. D3DXCreateEffect reads the declarations of an effect's
// source: top-level parameters with their types, arrays, semantics, annotations and literal
// initialisers; struct and typedef declarations; techniques with their annotations and passes.
// Function bodies, pass state blocks and sampler states are skipped by brace matching; they
// are never run, so every technique is valid. The preprocessor handles comments, #include
// (through the caller's ID3DXInclude), object- and function-like #define, #undef, #if, #ifdef,
// #ifndef, #elif, #else, #endif and #error; #pragma and #line are ignored.
//
// Compiled effect binaries are not read: they fail with D3DXERR_INVALIDDATA.
//
// Handles are opaque pointers owned by the effect. Every query checks that a handle belongs to
// the effect it is given to; a foreign handle, or a name passed in place of a handle, is
// refused with D3DERR_INVALIDCALL (or a null handle) rather than read.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/d3dx_image.h"   // D3DXERR_INVALIDDATA

// MAKE_HRESULT(1, 0x876, 2900 + n).
constexpr HRESULT D3DXERR_CANNOTMODIFYINDEXBUFFER = static_cast<HRESULT>(0x88760B54u);
constexpr HRESULT D3DXERR_INVALIDMESH = static_cast<HRESULT>(0x88760B55u);
constexpr HRESULT D3DXERR_CANNOTATTRSORT = static_cast<HRESULT>(0x88760B56u);
constexpr HRESULT D3DXERR_SKINNINGNOTSUPPORTED = static_cast<HRESULT>(0x88760B57u);
constexpr HRESULT D3DXERR_TOOMANYINFLUENCES = static_cast<HRESULT>(0x88760B58u);
constexpr HRESULT D3DXERR_LOADEDMESHASNODATA = static_cast<HRESULT>(0x88760B5Au);
constexpr HRESULT D3DXERR_DUPLICATENAMEDFRAGMENT = static_cast<HRESULT>(0x88760B5Bu);
constexpr HRESULT D3DXERR_CANNOTREMOVELASTITEM = static_cast<HRESULT>(0x88760B5Cu);

// Compile flags. Accepted and ignored: nothing is compiled.
constexpr DWORD D3DXSHADER_DEBUG = 1u << 0;
constexpr DWORD D3DXSHADER_SKIPVALIDATION = 1u << 1;
constexpr DWORD D3DXSHADER_SKIPOPTIMIZATION = 1u << 2;
constexpr DWORD D3DXSHADER_PACKMATRIX_ROWMAJOR = 1u << 3;
constexpr DWORD D3DXSHADER_PACKMATRIX_COLUMNMAJOR = 1u << 4;

// Parameter flags.
constexpr DWORD D3DX_PARAMETER_SHARED = 1u << 0;
constexpr DWORD D3DX_PARAMETER_LITERAL = 1u << 1;
constexpr DWORD D3DX_PARAMETER_ANNOTATION = 1u << 2;

using D3DXHANDLE = LPCSTR;

enum D3DXPARAMETER_CLASS : DWORD {
    D3DXPC_SCALAR = 0,
    D3DXPC_VECTOR = 1,
    D3DXPC_MATRIX_ROWS = 2,
    D3DXPC_MATRIX_COLUMNS = 3,
    D3DXPC_OBJECT = 4,
    D3DXPC_STRUCT = 5,
    D3DXPC_FORCE_DWORD = 0x7FFFFFFF,
};

enum D3DXPARAMETER_TYPE : DWORD {
    D3DXPT_VOID = 0,
    D3DXPT_BOOL = 1,
    D3DXPT_INT = 2,
    D3DXPT_FLOAT = 3,
    D3DXPT_STRING = 4,
    D3DXPT_TEXTURE = 5,
    D3DXPT_TEXTURE1D = 6,
    D3DXPT_TEXTURE2D = 7,
    D3DXPT_TEXTURE3D = 8,
    D3DXPT_TEXTURECUBE = 9,
    D3DXPT_SAMPLER = 10,
    D3DXPT_SAMPLER1D = 11,
    D3DXPT_SAMPLER2D = 12,
    D3DXPT_SAMPLER3D = 13,
    D3DXPT_SAMPLERCUBE = 14,
    D3DXPT_PIXELSHADER = 15,
    D3DXPT_VERTEXSHADER = 16,
    D3DXPT_PIXELFRAGMENT = 17,
    D3DXPT_VERTEXFRAGMENT = 18,
    D3DXPT_UNSUPPORTED = 19,
    D3DXPT_FORCE_DWORD = 0x7FFFFFFF,
};

enum D3DXINCLUDE_TYPE : DWORD {
    D3DXINC_LOCAL = 0,    // #include "name"
    D3DXINC_SYSTEM = 1,   // #include <name>
    D3DXINC_FORCE_DWORD = 0x7FFFFFFF,
};

struct D3DXMACRO {
    LPCSTR Name;
    LPCSTR Definition;   // null: defined as empty
};

struct D3DXEFFECT_DESC {
    LPCSTR Creator;
    UINT Parameters;
    UINT Techniques;
    UINT Functions;
};

// Rows and Columns: 1 x 1 for scalars and objects, 1 x N for vectors, R x C for matrices; a
// struct has 1 x 1 and StructMembers. Elements is 0 for a single value, N for [N]. Bytes is 4
// per numeric component or object, times the element count.
struct D3DXPARAMETER_DESC {
    LPCSTR Name;
    LPCSTR Semantic;   // null when the parameter has none
    D3DXPARAMETER_CLASS Class;
    D3DXPARAMETER_TYPE Type;
    UINT Rows;
    UINT Columns;
    UINT Elements;
    UINT Annotations;
    UINT StructMembers;
    DWORD Flags;
    UINT Bytes;
};

struct D3DXTECHNIQUE_DESC {
    LPCSTR Name;   // null for a technique declared without a name
    UINT Passes;
    UINT Annotations;
};

// A message buffer: the bytes and their size (compiler messages end with a NUL that the size
// counts).
struct ID3DXBuffer : IUnknown {
    virtual LPVOID GetBufferPointer() = 0;
    virtual DWORD GetBufferSize() = 0;
};
using LPD3DXBUFFER = ID3DXBuffer*;

// Written by the caller. Open gives the bytes of a file named by #include; the data stays
// valid, and is read, until the matching Close. Opens nest: an included file's own includes
// are opened and closed while its data is still open.
struct ID3DXInclude {
    virtual HRESULT Open(D3DXINCLUDE_TYPE includeType, LPCSTR fileName, LPCVOID parentData, LPCVOID* data,
                         UINT* bytes) = 0;
    virtual HRESULT Close(LPCVOID data) = 0;

protected:
    ~ID3DXInclude() = default;
};
using LPD3DXINCLUDE = ID3DXInclude*;

// The namespace of shared parameters. An effect created with a pool registers each of its
// parameters declared `shared` there until it is destroyed; a second effect may declare the
// same shared name only with the same type, class, size and element count.
struct ID3DXEffectPool : IUnknown {};
using LPD3DXEFFECTPOOL = ID3DXEffectPool*;

struct ID3DXEffect : IUnknown {
    virtual HRESULT GetDesc(D3DXEFFECT_DESC* desc) = 0;
    virtual HRESULT GetParameterDesc(D3DXHANDLE parameter, D3DXPARAMETER_DESC* desc) = 0;
    virtual HRESULT GetTechniqueDesc(D3DXHANDLE technique, D3DXTECHNIQUE_DESC* desc) = 0;
    // Parent null: the index-th top-level parameter; a struct parameter: its index-th member.
    virtual D3DXHANDLE GetParameter(D3DXHANDLE parent, UINT index) = 0;
    virtual D3DXHANDLE GetTechniqueByName(LPCSTR name) = 0;   // names compare with case
    // Of a parameter or a technique.
    virtual D3DXHANDLE GetAnnotationByName(D3DXHANDLE object, LPCSTR name) = 0;
    // A bool, int or float scalar (parameter or annotation): its initial value, floats
    // truncated toward zero. Anything else: D3DERR_INVALIDCALL.
    virtual HRESULT GetInt(D3DXHANDLE parameter, INT* value) = 0;
    // Technique null: the first technique. At the end *next is null and the result S_OK.
    virtual HRESULT FindNextValidTechnique(D3DXHANDLE technique, D3DXHANDLE* next) = 0;
    // Nothing here is held in video memory: both do nothing.
    virtual HRESULT OnLostDevice() = 0;
    virtual HRESULT OnResetDevice() = 0;
};
using LPD3DXEFFECT = ID3DXEffect*;

HRESULT D3DXCreateEffectPool(ID3DXEffectPool** pool);

// Reads effect source of `srcDataLen` bytes (8-bit text; a NUL ends it early). `defines` is
// null or an array ended by a null Name. `include` may be null when the source includes
// nothing. `pool` may be null. On a source error the result is E_FAIL and `errors` (when not
// null) receives lines "file(line,column): error Xnnnn: message", the main source being named
// "memory"; on success `errors` is set to null.
HRESULT D3DXCreateEffect(IDirect3DDevice9* device, LPCVOID srcData, UINT srcDataLen, const D3DXMACRO* defines,
                         ID3DXInclude* include, DWORD flags, ID3DXEffectPool* pool, ID3DXEffect** effect,
                         ID3DXBuffer** errors);
