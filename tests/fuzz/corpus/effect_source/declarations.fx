// Scene constants
shared float4x4 MatViewProj : VIEWPROJECTION;
float4x4 matworld;
row_major float3x4 Bones[60] : BONES;
float4 MaterialDiffuse : DIFFUSE <string UIName = "Diffuse"; int Order = 2;> = {1, 0.5, 0.25, 1};
float  LocalTime = 2.75;
int    PatternIndex = -3;
bool   Enabled = true;
half2  Offset;
vector<float, 3> Dir;
matrix<float, 2, 3> Small;
texture DiffuseMap <string ResourceName = "a.png";>;
sampler2D DiffuseSampler = sampler_state { Texture = <DiffuseMap>; MinFilter = Linear; };
string Label = "x;{";
struct Light { float3 Pos : POSITION; float4 Color; float Range[2]; };
Light Lights[4];
static const int kCount = 4;
static float4 Hidden = float4(1, 2, 3, 4);
float4 Counted[kCount * 2] : register(c10);
uniform float A = 1, B = 2.5f;
float Big = 1e20;
float Negative = -(2.9);
int Computed = kCount * 3 + 1;

float4 VS(float4 p : POSITION, uniform int n = 2) : POSITION { return mul(p, MatViewProj); }
float4 PS() : COLOR0 { if (LocalTime > 1) { return float4(1, 1, 1, 1); } return "}"; }
float4 Prototype(float x);

technique Simple < int MaxPointLight = 4; int MaxSpotLight = 2; float MaxMultiRT = 3.9; bool OptionFlags = true;
                   string Note = "x"; >
{
    pass P0 { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); }
    pass P1 < int Order = -1; > { AlphaBlendEnable = true; }
}
technique Skin { pass { } };
technique Outline { }
technique { pass { } pass { } pass { } }
