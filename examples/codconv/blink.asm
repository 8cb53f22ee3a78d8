; blink.asm - toggles bit 0 of port B with a delay loop
        include "ports.inc"

reset   code    0x0000
        goto    start

main    code    0x0010
start   movlw   0x00
        movwf   TRISB
loop    bsf     PORTB, 0
        call    delay
        bcf     PORTB, 0
        call    delay
        goto    loop

delay   movlw   0xff
        movwf   COUNT
wait    decfsz  COUNT, f
        goto    wait
        return

version romdata 0x01f0
        db      0x01, 0x02
        end
